#include "setup_test_support.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "environment.h"

namespace setuptest {

ScopedWindowsDir::ScopedWindowsDir(const std::string& folder) {
    std::memcpy(saved_, WindowsDir, sizeof saved_);
    if (folder.size() >= MAX_PATH) throw std::runtime_error("folder path too long: " + folder);
    std::memset(WindowsDir, 0, sizeof WindowsDir);
    std::memcpy(WindowsDir, folder.c_str(), folder.size());
}

ScopedWindowsDir::~ScopedWindowsDir() {
    std::memcpy(WindowsDir, saved_, sizeof saved_);
}

bool On64BitWindows() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

REGSAM OtherRegistryView() {
    return sizeof(void*) == 8 && On64BitWindows() ? KEY_WOW64_32KEY : 0;
}

std::string UniqueName(const std::string& tag) {
    static LONG serial = 0;
    return tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(InterlockedIncrement(&serial));
}

bool KeyExists(HKEY root, const std::string& path, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void CreateKey(HKEY root, const std::string& path) {
    HKEY key;
    LONG result =
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot create key " + path + ": error " + std::to_string(result));
    RegCloseKey(key);
}

void SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& text, REGSAM view) {
    HKEY key;
    LONG result = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                  nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot write value " + name + " of " + path);
}

DWORD SubKeyCount(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open key " + path);
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return count;
}

ValueRead ReadValueW(HKEY root, const std::string& path, const std::string& name) {
    ValueRead read;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return read;
    const std::wstring wideName(name.begin(), name.end());
    DWORD size = 0;
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &read.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        read.bytes.resize(size);
        if (RegQueryValueExW(key, wideName.c_str(), nullptr, &read.type,
                             reinterpret_cast<BYTE*>(read.bytes.data()), &size) == ERROR_SUCCESS) {
            read.found = true;
            read.bytes.resize(size);
        }
    }
    RegCloseKey(key);
    return read;
}

ValueRead ReadValue(HKEY root, const std::string& path, const std::string& name, REGSAM view) {
    ValueRead read;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return read;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &read.type, nullptr, &size) == ERROR_SUCCESS) {
        read.bytes.resize(size);
        if (RegQueryValueExA(key, name.c_str(), nullptr, &read.type,
                             reinterpret_cast<BYTE*>(read.bytes.data()), &size) == ERROR_SUCCESS) {
            read.found = true;
            read.bytes.resize(size);
        }
    }
    RegCloseKey(key);
    return read;
}

ScopedTestKey::ScopedTestKey() : path_("Software\\" + UniqueName("VmxSetupTest")) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    CreateKey(HKEY_CURRENT_USER, path_);
}

ScopedTestKey::~ScopedTestKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
}

KeyCleanup::KeyCleanup(HKEY root, const std::string& path) : root_(root) {
    std::string::size_type end = 0;
    while (end != std::string::npos) {
        end = path.find('\\', end + 1);
        std::string prefix = path.substr(0, end);
        if (!KeyExists(root, prefix)) {
            topmostNew_ = prefix;
            break;
        }
    }
}

KeyCleanup::~KeyCleanup() {
    if (topmostNew_.empty()) return;
    RegDeleteTreeA(root_, topmostNew_.c_str());
    RegDeleteKeyA(root_, topmostNew_.c_str());
}

}  // namespace setuptest
