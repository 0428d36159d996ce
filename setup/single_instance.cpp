#include "single_instance.h"

#include "system_calls.h"

const char kSetupMutexName[] = "Global\\VelluMax.Setup";

namespace {

// Five seconds in all: long enough for a run that is just ending, short enough for a
// deployment tool that will try again later.
const int kPauses = 10;
const DWORD kPauseMs = 500;

HANDLE OpenOrCreate(const char* name) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    // Made by another user whose rights do not give us everything: waiting is enough.
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED)
        mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
    return mutex;
}

}  // namespace

SetupLock::~SetupLock() {
    if (held_ && mutex_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}

SetupLock::SetupLock(SetupLock&& other) noexcept : mutex_(other.mutex_), held_(other.held_) {
    other.mutex_ = nullptr;
    other.held_ = false;
}

SetupLock TakeSetupLock() {
    SetupLock lock;
    lock.mutex_ = OpenOrCreate(kSetupMutexName);
    // Systems before terminal services know no "Global\" namespace.
    if (!lock.mutex_) lock.mutex_ = OpenOrCreate(kSetupMutexName + 7);
    // No mutex at all (out of resources): nothing to guard with, and nothing to wait for.
    if (!lock.mutex_) {
        lock.held_ = true;
        return lock;
    }
    for (int pause = 0;; ++pause) {
        const DWORD result = WaitForSingleObject(lock.mutex_, 0);
        // Abandoned: a run that ended without letting go; what it left is ours now.
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            lock.held_ = true;
            return lock;
        }
        if (pause == kPauses) return lock;
        SystemCalls.Sleep(kPauseMs);
    }
}
