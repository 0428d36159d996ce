#include "disk_info.h"

#include "path_parts.h"

bool QueryDiskInfo(const std::string& path, DiskInfo& info, DWORD& error) {
    char full[MAX_PATH + 1] = {};
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) {
        error = length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    info = DiskInfo();
    info.root = VolumeRootOf(full);
    if (info.root.empty()) {
        error = ERROR_BAD_PATHNAME;
        return false;
    }

    char label[MAX_PATH + 1] = {};
    char fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (!GetVolumeInformationA(info.root.c_str(), label, sizeof label, &serial, &maxComponent,
                               &flags, fileSystem, sizeof fileSystem)) {
        error = GetLastError();
        return false;
    }
    info.label = label;
    info.fileSystem = fileSystem;
    info.serialNumber = serial;

    // Ask about the folder itself where there is one: quotas and mounted folders make its
    // free space differ from the root's.
    DWORD attributes = GetFileAttributesA(full);
    bool isFolder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    std::string asked = isFolder ? std::string(full) : info.root;
    ULARGE_INTEGER toCaller = {}, total = {}, free = {};
    if (!GetDiskFreeSpaceExA(asked.c_str(), &toCaller, &total, &free)) {
        error = GetLastError();
        return false;
    }
    info.totalBytes = total.QuadPart;
    info.freeBytes = free.QuadPart;
    info.freeToCallerBytes = toCaller.QuadPart;
    error = ERROR_SUCCESS;
    return true;
}

int UsedPermille(const DiskInfo& info) {
    if (info.totalBytes == 0 || info.freeBytes >= info.totalBytes) return 0;
    unsigned long long used = info.totalBytes - info.freeBytes;
    // Scaled down first when large, so that used * 1000 cannot overflow.
    unsigned long long total = info.totalBytes;
    while (used > (~0ull / 1000)) {
        used >>= 10;
        total >>= 10;
    }
    return static_cast<int>(used * 1000 / total);
}
