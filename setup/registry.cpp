#include "registry.h"

#include <vector>

#include "errors.h"
#include "system_function.h"

namespace {

// Closes a key handle at scope exit.
class KeyHandle {
public:
    explicit KeyHandle(HKEY handle) : handle_(handle) {}
    ~KeyHandle() {
        if (handle_) RegCloseKey(handle_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY Get() const { return handle_; }

private:
    HKEY handle_;
};

// Puts a saved handle back into a field at scope exit, also when an error passes through.
class RestoreHandle {
public:
    explicit RestoreHandle(HKEY& field) : field_(field), saved_(field) {}
    ~RestoreHandle() { field_ = saved_; }
    RestoreHandle(const RestoreHandle&) = delete;
    RestoreHandle& operator=(const RestoreHandle&) = delete;

private:
    HKEY& field_;
    HKEY saved_;
};

std::string WithoutLeadingBackslash(const std::string& path) {
    return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

}  // namespace

TRegistry::~TRegistry() {
    ClosePath();
}

bool TRegistry::IsRelativeKeyPath(const std::string& path) {
    return path.empty() || path[0] != '\\';
}

HKEY TRegistry::BaseFor(bool relative) const {
    return relative && CurrentHandle ? CurrentHandle : Root;
}

void TRegistry::SelectRoot(HKEY root) {
    if (root == Root) return;
    Root = root;
    ClosePath();
}

bool TRegistry::OpenPath(const std::string& path, bool create) {
    bool relative = IsRelativeKeyPath(path);
    std::string subKey = WithoutLeadingBackslash(path);
    HKEY handle = nullptr;
    LONG result;
    if (create && !subKey.empty()) {
        result =
            RegCreateKeyExA(BaseFor(relative), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS | View, nullptr, &handle, nullptr);
    } else {
        result =
            RegOpenKeyExA(BaseFor(relative), subKey.c_str(), 0, KEY_ALL_ACCESS | View, &handle);
    }
    if (result != ERROR_SUCCESS) return false;
    if (CurrentHandle && relative) subKey = CurrentKeyPath + "\\" + subKey;
    AdoptKey(handle, subKey);
    return true;
}

void TRegistry::ClosePath() {
    if (!CurrentHandle) return;
    RegCloseKey(CurrentHandle);
    CurrentHandle = nullptr;
    CurrentKeyPath.clear();
}

void TRegistry::AdoptKey(HKEY handle, const std::string& path) {
    ClosePath();
    CurrentHandle = handle;
    CurrentKeyPath = path;
}

HKEY TRegistry::OpenHandleFor(const std::string& path) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(BaseFor(IsRelativeKeyPath(path)), WithoutLeadingBackslash(path).c_str(), 0,
                      KEY_ALL_ACCESS | View, &handle) != ERROR_SUCCESS)
        return nullptr;
    return handle;
}

void TRegistry::PutString(const std::string& valueName, const std::string& text) {
    LONG result = RegSetValueExA(CurrentHandle, valueName.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1));
    if (result != ERROR_SUCCESS)
        Raise<ERegistryException>("Failed to set data for '" + valueName + "'");
}

bool TRegistry::RemoveTree(const std::string& path) {
    std::string subKey = WithoutLeadingBackslash(path);
    // An empty name would let RegDeleteKeyA act on the base key itself, after the loop below
    // had emptied it: refuse it.
    if (subKey.empty()) return false;
    bool relative = IsRelativeKeyPath(path);
    {
        KeyHandle key(OpenHandleFor(path));
        if (key.Get()) {
            RestoreHandle restore(CurrentHandle);
            CurrentHandle = key.Get();
            KeyInfo info;
            if (QueryKeyInfo(info)) {
                std::vector<char> name(info.MaxSubKeyNameLength + 1);
                // From the last index down: removing a subkey never moves one still to come.
                for (DWORD index = info.SubKeyCount; index-- > 0;) {
                    DWORD length = info.MaxSubKeyNameLength + 1;
                    LONG result = RegEnumKeyExA(key.Get(), index, name.data(), &length, nullptr,
                                                nullptr, nullptr, nullptr);
                    if (result == ERROR_MORE_DATA) {
                        // The longest name is counted in characters; a name in a double-byte
                        // code page can need up to twice as many bytes.
                        name.resize(2 * (info.MaxSubKeyNameLength + 1));
                        length = static_cast<DWORD>(name.size());
                        result = RegEnumKeyExA(key.Get(), index, name.data(), &length, nullptr,
                                               nullptr, nullptr, nullptr);
                    }
                    if (result == ERROR_SUCCESS) RemoveTree(std::string(name.data(), length));
                }
            }
        }
    }
    return DeleteSubKey(BaseFor(relative), subKey) == ERROR_SUCCESS;
}

LONG TRegistry::DeleteSubKey(HKEY base, const std::string& subKey) const {
    // RegDeleteKeyA removes from the program's own view; another view needs the call that
    // names it, which only the Windows versions that have views offer.
    using RegDeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    if (View) {
        auto deleteKeyEx = SystemFunction<RegDeleteKeyExFn>("advapi32.dll", "RegDeleteKeyExA");
        if (deleteKeyEx) return deleteKeyEx(base, subKey.c_str(), View, 0);
    }
    return RegDeleteKeyA(base, subKey.c_str());
}

bool TRegistry::QueryKeyInfo(KeyInfo& info) {
    info = KeyInfo{};
    return RegQueryInfoKeyA(CurrentHandle, nullptr, nullptr, nullptr, &info.SubKeyCount,
                            &info.MaxSubKeyNameLength, nullptr, &info.ValueCount,
                            &info.MaxValueNameLength, &info.MaxValueDataLength, nullptr,
                            &info.LastWriteTime) == ERROR_SUCCESS;
}

bool TRegistry::HasChildKeys() {
    KeyInfo info;
    return QueryKeyInfo(info) && info.SubKeyCount > 0;
}
