#include "single_instance.h"

// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include "security_descriptor.h"
#include "system_calls.h"
#include "system_function.h"

const char kSetupMutexName[] = "Global\\VelluMax.Setup";
const char kSetupMutexAccess[] = "O:BAD:(A;;0x1f0001;;;BA)(A;;0x1f0001;;;SY)";

namespace {

// Five seconds in all: long enough for a run that is just ending, short enough for a
// deployment tool that will try again later.
const int kPauses = 10;
const DWORD kPauseMs = 500;

// Whether the mutex is owned by Administrators or SYSTEM: made by a setup run, not by a
// program of a standard user.
bool OwnedByAdministrators(HANDLE mutex) {
    using InfoFn = DWORD(WINAPI*)(HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*,
                                  PACL*, PSECURITY_DESCRIPTOR*);
    using WellKnownFn = BOOL(WINAPI*)(PSID, WELL_KNOWN_SID_TYPE);
    auto info = SystemFunction<InfoFn>("advapi32.dll", "GetSecurityInfo");
    auto wellKnown = SystemFunction<WellKnownFn>("advapi32.dll", "IsWellKnownSid");
    if (!info || !wellKnown) return true;  // NT 4: nothing to tell them apart with
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (info(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
             &descriptor) != ERROR_SUCCESS)
        return false;
    const bool administrators = owner && (wellKnown(owner, WinBuiltinAdministratorsSid) ||
                                          wellKnown(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return administrators;
}

// The lock is owned by the Administrators group, which only an administrator's token can
// give as owner, so that a mutex of the same name made beforehand by a standard user is
// told apart from the lock of another setup run.
HANDLE OpenOrCreate(const char* name, const SecurityDescriptor& security) {
    SECURITY_ATTRIBUTES attributes = security.Attributes();
    HANDLE mutex = CreateMutexA(security.Get() ? &attributes : nullptr, FALSE, name);
    // Made by another user whose rights do not give us everything: waiting is enough.
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED)
        mutex = OpenMutexA(SYNCHRONIZE | READ_CONTROL, FALSE, name);
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
    const SecurityDescriptor security(kSetupMutexAccess);
    lock.mutex_ = OpenOrCreate(kSetupMutexName, security);
    // Systems before terminal services know no "Global\" namespace.
    if (!lock.mutex_) lock.mutex_ = OpenOrCreate(kSetupMutexName + 7, security);
    // A mutex of the name that a standard user made is no setup run: it must not keep every
    // installation waiting. The run goes on unguarded, as without any mutex.
    if (lock.mutex_ && security.Get() && !OwnedByAdministrators(lock.mutex_)) {
        CloseHandle(lock.mutex_);
        lock.mutex_ = nullptr;
    }
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
