#include "pending_renames.h"

#include <windows.h>

#include <algorithm>

namespace {

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

class OpenKey {
public:
    OpenKey(HKEY root, const wchar_t* path, REGSAM access) {
        if (RegOpenKeyExW(root, path, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::wstring UpperCased(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::wstring WithoutNtPrefix(const std::wstring& name) {
    return name.compare(0, 4, L"\\??\\") == 0 ? name.substr(4) : name;
}

std::wstring Wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

struct Name {
    std::wstring text;
    std::wstring::size_type start;  // offset of the name's first character in the data
    std::wstring::size_type end;    // offset just past its NUL
};

std::vector<Name> NamesOf(const std::wstring& data) {
    std::vector<Name> names;
    std::wstring::size_type p = 0;
    while (p < data.size()) {
        std::wstring::size_type nul = data.find(L'\0', p);
        if (nul == std::wstring::npos) nul = data.size();
        names.push_back({data.substr(p, nul - p), p, std::min(nul + 1, data.size())});
        p = nul + 1;
    }
    return names;
}

std::wstring ReadValue(HKEY key, DWORD& type) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key, kPendingRenames, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::wstring();
        std::wstring data((size + 1) / sizeof(wchar_t), L'\0');
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        LONG result = RegQueryValueExW(key, kPendingRenames, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (result == ERROR_SUCCESS) {
            data.resize(bytes / sizeof(wchar_t));
            return data;
        }
        if (result != ERROR_MORE_DATA) break;  // grown in between: ask again
    }
    type = REG_NONE;
    return std::wstring();
}

}  // namespace

PendingRenamesEdit WithoutPendingDeletionsOf(const std::wstring& data,
                                             const std::vector<std::wstring>& paths) {
    PendingRenamesEdit edit;
    std::vector<std::wstring> wanted;
    for (const std::wstring& path : paths) wanted.push_back(UpperCased(WithoutNtPrefix(path)));
    const std::vector<Name> names = NamesOf(data);

    // Names go in pairs; what is left over at the end is the closing empty name.
    std::wstring kept;
    std::wstring::size_type copiedUpTo = 0;
    size_t pairsLeft = 0;
    size_t i = 0;
    for (; i + 1 < names.size(); i += 2) {
        const Name& source = names[i];
        const Name& target = names[i + 1];
        if (target.text.empty() &&
            std::find(wanted.begin(), wanted.end(), UpperCased(WithoutNtPrefix(source.text))) !=
                wanted.end()) {
            kept += data.substr(copiedUpTo, source.start - copiedUpTo);
            copiedUpTo = target.end;
            edit.changed = true;
        } else {
            ++pairsLeft;
        }
    }
    kept += data.substr(copiedUpTo);
    bool strayName = i < names.size() && !names[i].text.empty();
    edit.empty = pairsLeft == 0 && !strayName;
    edit.data = edit.changed ? kept : data;
    return edit;
}

void CancelPendingRestartDeletes(const std::vector<std::string>& paths) {
    OpenKey key(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key.Get()) return;
    DWORD type = REG_NONE;
    const std::wstring data = ReadValue(key.Get(), type);
    if (type != REG_MULTI_SZ) return;
    std::vector<std::wstring> widePaths;
    for (const std::string& path : paths) widePaths.push_back(Wide(path));
    PendingRenamesEdit edit = WithoutPendingDeletionsOf(data, widePaths);
    if (!edit.changed) return;
    if (edit.empty)
        RegDeleteValueW(key.Get(), kPendingRenames);
    else
        RegSetValueExW(key.Get(), kPendingRenames, 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(edit.data.data()),
                       static_cast<DWORD>(edit.data.size() * sizeof(wchar_t)));
}
