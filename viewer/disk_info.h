// The volume a drive or folder lies on: its label, file system, serial number and space.
#pragma once

#include <windows.h>

#include <string>

struct DiskInfo {
    std::string root;  // "C:\" or "\\server\share\"
    std::string label;
    std::string fileSystem;
    DWORD serialNumber = 0;
    unsigned long long totalBytes = 0;
    unsigned long long freeBytes = 0;          // free on the volume
    unsigned long long freeToCallerBytes = 0;  // free for this user, after quotas
};

// False when the path has no volume root or the volume cannot be asked; error says why.
bool QueryDiskInfo(const std::string& path, DiskInfo& info, DWORD& error);

// The used share of the volume in thousandths, 0 to 1000.
int UsedPermille(const DiskInfo& info);
