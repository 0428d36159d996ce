// TRegistry: a root key and at most one open key, the current key. The setup program only
// creates keys, writes string values and removes whole key trees; it never reads a value.
#pragma once

#include <windows.h>

#include <string>

// What QueryKeyInfo reports about the current key.
struct KeyInfo {
    DWORD SubKeyCount;
    DWORD MaxSubKeyNameLength;  // characters, terminating NUL not counted
    DWORD ValueCount;
    DWORD MaxValueNameLength;
    DWORD MaxValueDataLength;  // bytes
    FILETIME LastWriteTime;
};

class TRegistry {
public:
    TRegistry() = default;
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Another root closes the current key; the same root keeps it open.
    void SelectRoot(HKEY root);
    // Opens (or with create, creates) the key and makes it current. A path starting with a
    // backslash is taken from Root, any other from the current key when one is open.
    // On failure the previous current key stays open and current.
    bool OpenPath(const std::string& path, bool create);
    void ClosePath();
    // Writes a REG_SZ value, its terminating NUL included; raises ERegistryException.
    void PutString(const std::string& valueName, const std::string& text);
    // Removes the key with all its subkeys; true when the key itself went. Refuses an empty
    // path: that would name the base key itself.
    bool RemoveTree(const std::string& path);
    bool QueryKeyInfo(KeyInfo& info);
    bool HasChildKeys();

    HKEY CurrentHandle = nullptr;
    HKEY Root = HKEY_CURRENT_USER;
    std::string CurrentKeyPath;
    // The registry view that every key is opened, created and removed in: 0 for the
    // program's own, or KEY_WOW64_64KEY / KEY_WOW64_32KEY on 64-bit Windows.
    REGSAM View = 0;

private:
    static bool IsRelativeKeyPath(const std::string& path);
    HKEY BaseFor(bool relative) const;
    // A new handle on the key, or null; the caller owns it. The current key stays.
    HKEY OpenHandleFor(const std::string& path);
    void AdoptKey(HKEY handle, const std::string& path);
    LONG DeleteSubKey(HKEY base, const std::string& subKey) const;
};
