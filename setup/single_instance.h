// One setup program of the product at work at a time on the machine, whoever started it:
// a named mutex that the working run holds until it ends.
#pragma once

#include <windows.h>

// The mutex's name, in the global namespace so that other sessions see it too.
extern const char kSetupMutexName[];

class SetupLock {
public:
    SetupLock() = default;
    ~SetupLock();
    SetupLock(SetupLock&& other) noexcept;
    SetupLock(const SetupLock&) = delete;
    SetupLock& operator=(const SetupLock&) = delete;
    SetupLock& operator=(SetupLock&&) = delete;

    bool Held() const { return held_; }

private:
    friend SetupLock TakeSetupLock();
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

// Takes the lock, waiting a few seconds (in pauses through the system-call table) for a run
// that holds it to end. Not Held() when another run kept it all that time.
SetupLock TakeSetupLock();
