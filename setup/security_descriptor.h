// An access list written in SDDL, as a security descriptor for a new object; freed with
// LocalFree. The conversion is looked up at run time: the Windows 95 family and NT 4 lack
// it, and there the descriptor stays empty.
#pragma once

#include <windows.h>
#include <sddl.h>

#include "system_function.h"

class SecurityDescriptor {
public:
    explicit SecurityDescriptor(const char* sddl) {
        using ConvertFn = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
        auto convert = SystemFunction<ConvertFn>(
            "advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
        if (!convert || !convert(sddl, SDDL_REVISION_1, &descriptor_, nullptr))
            descriptor_ = nullptr;
    }
    ~SecurityDescriptor() {
        if (descriptor_) LocalFree(descriptor_);
    }
    SecurityDescriptor(const SecurityDescriptor&) = delete;
    SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

    PSECURITY_DESCRIPTOR Get() const { return descriptor_; }
    SECURITY_ATTRIBUTES Attributes() const {
        return {sizeof(SECURITY_ATTRIBUTES), descriptor_, FALSE};
    }
    bool Valid() const { return descriptor_ != nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};
