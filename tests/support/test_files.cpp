#include "test_files.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace vmxtest {

std::string ReadFileBytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    std::string bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    DWORD put = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    if (!ok || put != bytes.size()) throw std::runtime_error("short write to " + path);
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// Wide names, so that files whose names lie outside the ANSI code page go too.
void RemoveTreeW(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = path + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeW(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

void RemoveTreeOnDisk(const std::string& path) {
    int n = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), n);
    RemoveTreeW(wide);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ProgramFolder() {
    char buf[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string p = buf;
    return p.substr(0, p.find_last_of('\\') + 1);
}

TempFolder::TempFolder(const std::string& tag) {
    char tmp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, tmp);
    static LONG serial = 0;
    char name[64];
    std::snprintf(name, sizeof name, "%s-%lu-%ld", tag.c_str(), GetCurrentProcessId(),
                  InterlockedIncrement(&serial));
    path_ = std::string(tmp) + name;
    RemoveTreeOnDisk(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create folder " + path_);
}

TempFolder::~TempFolder() { RemoveTreeOnDisk(path_); }

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace vmxtest
