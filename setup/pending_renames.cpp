#include "pending_renames.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingRenames[] = "PendingFileRenameOperations";

class OpenKey {
public:
    OpenKey(HKEY root, const char* path, REGSAM access) {
        if (RegOpenKeyExA(root, path, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
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

std::string UpperCased(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string WithoutNtPrefix(const std::string& name) {
    return name.compare(0, 4, "\\??\\") == 0 ? name.substr(4) : name;
}

// A name that the system could not give in the ANSI code page comes back with '?' in place
// of the characters it lost; '?' has no other place in a path after the "\??\" prefix (and
// the '!' that marks a replacing rename). Writing such a name back would change another
// program's pending operation, so the value is then left alone.
bool ReadsWhole(const std::string& name) {
    std::string plain = !name.empty() && name[0] == '!' ? name.substr(1) : name;
    return WithoutNtPrefix(plain).find('?') == std::string::npos;
}

struct Name {
    std::string text;
    std::string::size_type start;  // offset of the name's first byte in the data
    std::string::size_type end;    // offset just past its NUL
};

std::vector<Name> NamesOf(const std::string& data) {
    std::vector<Name> names;
    std::string::size_type p = 0;
    while (p < data.size()) {
        std::string::size_type nul = data.find('\0', p);
        if (nul == std::string::npos) nul = data.size();
        names.push_back({data.substr(p, nul - p), p, std::min(nul + 1, data.size())});
        p = nul + 1;
    }
    return names;
}

std::string ReadValue(HKEY key, DWORD& type) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key, kPendingRenames, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::string();
        std::string data(size, '\0');
        LONG result = RegQueryValueExA(key, kPendingRenames, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_SUCCESS) {
            data.resize(size);
            return data;
        }
        if (result != ERROR_MORE_DATA) break;  // grown in between: ask again
    }
    type = REG_NONE;
    return std::string();
}

}  // namespace

PendingRenamesEdit WithoutPendingDeletionOf(const std::string& data, const std::string& path) {
    PendingRenamesEdit edit;
    const std::vector<Name> names = NamesOf(data);
    const std::string wanted = UpperCased(WithoutNtPrefix(path));
    for (const Name& name : names)
        if (!ReadsWhole(name.text)) {
            edit.data = data;
            return edit;
        }

    // Names go in pairs; what is left over at the end is the closing empty name.
    std::string kept;
    std::string::size_type copiedUpTo = 0;
    size_t pairsLeft = 0;
    size_t i = 0;
    for (; i + 1 < names.size(); i += 2) {
        const Name& source = names[i];
        const Name& target = names[i + 1];
        if (target.text.empty() && UpperCased(WithoutNtPrefix(source.text)) == wanted) {
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

void CancelPendingRestartDelete(const std::string& path) {
    OpenKey key(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key.Get()) return;
    DWORD type = REG_NONE;
    std::string data = ReadValue(key.Get(), type);
    if (type != REG_MULTI_SZ) return;
    PendingRenamesEdit edit = WithoutPendingDeletionOf(data, path);
    if (!edit.changed) return;
    if (edit.empty)
        RegDeleteValueA(key.Get(), kPendingRenames);
    else
        RegSetValueExA(key.Get(), kPendingRenames, 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(edit.data.data()),
                       static_cast<DWORD>(edit.data.size()));
}
