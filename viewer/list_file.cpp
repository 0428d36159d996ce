#include "list_file.h"

#include "path_parts.h"
#include "wide_text.h"

namespace {

// The longest list worth reading: every path of a full list at its longest, and more.
constexpr DWORD kMaxListBytes = 4u * 1024u * 1024u;

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A count line of decimal digits, capped; false for anything else (signs included).
bool ParseCount(std::string_view line, int& count) {
    line = TrimBlanks(line);
    if (line.empty()) return false;
    long long value = 0;
    for (char c : line) {
        if (c < '0' || c > '9') return false;
        if (value <= kMaxListItems) value = value * 10 + (c - '0');
    }
    count = value > kMaxListItems ? kMaxListItems : static_cast<int>(value);
    return true;
}

std::string LowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

// The folder in its long form, lower case, without a trailing backslash, so that short
// and long spellings of the temporary directory compare equal. In UTF-16: a folder named
// outside the code page has no ANSI long form, only its short one.
std::wstring ComparableFolder(const std::wstring& folder) {
    wchar_t full[MAX_PATH + 1] = {};
    DWORD n = GetFullPathNameW(folder.c_str(), MAX_PATH + 1, full, nullptr);
    if (n == 0 || n > MAX_PATH) return {};
    wchar_t longer[MAX_PATH + 1] = {};
    n = GetLongPathNameW(full, longer, MAX_PATH + 1);
    std::wstring result = (n == 0 || n > MAX_PATH) ? std::wstring(full) : std::wstring(longer);
    while (result.size() > 3 && (result.back() == L'\\' || result.back() == L'/'))
        result.pop_back();
    if (!result.empty()) CharLowerBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

}  // namespace

ListContents ParseListText(std::string_view bytes) {
    ListContents contents;
    size_t pos = 0;
    bool first = true;
    size_t limit = kMaxListItems;
    while (pos < bytes.size() && contents.paths.size() < limit) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A stray zero byte ends the line: nothing after it could be part of a path.
        size_t zero = line.find('\0');
        if (zero != std::string_view::npos) line = line.substr(0, zero);

        if (first) {
            first = false;
            contents.countIsNumber = ParseCount(line, contents.declaredCount);
            if (contents.countIsNumber) limit = static_cast<size_t>(contents.declaredCount);
            continue;
        }
        if (TrimBlanks(line).empty()) continue;
        contents.paths.emplace_back(line);
    }
    return contents;
}

bool ReadListFile(const std::string& path, ListContents& contents, DWORD& error) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        error = kListNotADiskFile;
        return false;
    }
    std::string bytes;
    char buffer[65536];
    bool ok = true;
    while (bytes.size() < kMaxListBytes) {
        DWORD want = static_cast<DWORD>(sizeof buffer);
        if (kMaxListBytes - bytes.size() < want) want = kMaxListBytes - bytes.size();
        DWORD got = 0;
        if (!ReadFile(file, buffer, want, &got, nullptr)) {
            error = GetLastError();
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    if (!ok) return false;
    contents = ParseListText(bytes);
    error = ERROR_SUCCESS;
    return true;
}

bool IsTemporaryListFile(const std::string& path) {
    char full[MAX_PATH + 1] = {};
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return false;
    PathParts parts = SplitItemPath(full);
    std::string name = LowerAscii(parts.name);
    if (name.size() < 6 || name.compare(0, 2, "vm") != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0) {
        return false;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return false;
    std::wstring tempFolder = ComparableFolder(temp);
    return !tempFolder.empty() && ComparableFolder(WidePath(parts.folder)) == tempFolder;
}

bool ReadAndDisposeListFile(const std::string& path, ListContents& contents, DWORD& error) {
    if (!ReadListFile(path, contents, error)) return false;
    if (IsTemporaryListFile(path)) DeleteFileA(path.c_str());
    return true;
}
