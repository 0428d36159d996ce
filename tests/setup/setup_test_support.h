// Helpers for the setup program's tests: a Windows folder of the test's own, folder
// listings, and registry keys made and removed around a test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace setuptest {

// Points WindowsDir at another folder for a scope; puts the old text back after.
class ScopedWindowsDir {
public:
    explicit ScopedWindowsDir(const std::string& folder);
    ~ScopedWindowsDir();
    ScopedWindowsDir(const ScopedWindowsDir&) = delete;
    ScopedWindowsDir& operator=(const ScopedWindowsDir&) = delete;

private:
    char saved_[MAX_PATH];
};

// 64-bit Windows: this test program is 64-bit, or 32-bit under WOW64.
bool On64BitWindows();
// The registry view besides its own that the setup program serves: the 32-bit one for the
// 64-bit program on 64-bit Windows; 0 for the 32-bit program, which serves 32-bit Windows.
REGSAM OtherRegistryView();

// A name no other test process uses at the same time: tag, process id and a serial number.
std::string UniqueName(const std::string& tag);

// view: 0 for the test program's own registry view, or KEY_WOW64_64KEY / KEY_WOW64_32KEY.
bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0);
// Creates the key with any missing parents; throws when that fails.
void CreateKey(HKEY root, const std::string& path);
void SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& text, REGSAM view = 0);
DWORD SubKeyCount(HKEY root, const std::string& path);

struct ValueRead {
    bool found = false;
    DWORD type = 0;
    std::string bytes;  // the data exactly as stored, terminating NUL included
};
ValueRead ReadValue(HKEY root, const std::string& path, const std::string& name,
                    REGSAM view = 0);
// The same through RegQueryValueExW: the bytes of the UTF-16 data.
ValueRead ReadValueW(HKEY root, const std::string& path, const std::string& name);

// A fresh key under HKEY_CURRENT_USER\Software, removed with its subtree at scope exit.
class ScopedTestKey {
public:
    ScopedTestKey();
    ~ScopedTestKey();
    ScopedTestKey(const ScopedTestKey&) = delete;
    ScopedTestKey& operator=(const ScopedTestKey&) = delete;
    // Relative to HKEY_CURRENT_USER, without a leading backslash.
    const std::string& Path() const { return path_; }
    std::string Sub(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

// Remembers the highest part of a key path that does not exist yet and removes that subtree
// at scope exit: a test can create keys below a shared root and leave the root as it was.
class KeyCleanup {
public:
    KeyCleanup(HKEY root, const std::string& path);
    ~KeyCleanup();
    KeyCleanup(const KeyCleanup&) = delete;
    KeyCleanup& operator=(const KeyCleanup&) = delete;

private:
    HKEY root_;
    std::string topmostNew_;
};

}  // namespace setuptest
