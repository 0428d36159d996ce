// GoogleTest's thread-safe build uses std::mutex and std::condition_variable only for its
// Notification helper, and GCC 12's win32 thread model has neither. This Windows-event
// version takes its place; GoogleTest uses critical sections for everything else.
#pragma once
#ifdef __cplusplus
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif
