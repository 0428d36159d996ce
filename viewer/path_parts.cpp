#include "path_parts.h"

#include <vector>

namespace {

template <class Char>
bool IsSeparator(Char c) {
    return c == '\\' || c == '/';
}

// Offsets of the separators that are whole characters, not second bytes.
std::vector<size_t> SeparatorOffsets(const std::string& path, UINT codePage) {
    std::vector<size_t> offsets;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByteEx(codePage, c) && i + 1 < path.size()) {
            ++i;
        } else if (IsSeparator(path[i])) {
            offsets.push_back(i);
        }
    }
    return offsets;
}

std::vector<size_t> SeparatorOffsets(const std::wstring& path) {
    std::vector<size_t> offsets;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) offsets.push_back(i);
    }
    return offsets;
}

template <class Char>
bool IsDriveLetter(Char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

template <class Text>
bool StartsWithDrive(const Text& path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

template <class Text>
BasicPathParts<Text> Split(const Text& path, std::vector<size_t> seps) {
    // Trailing separators name the same folder as without them ("C:\x\" is "C:\x").
    size_t end = path.size();
    while (!seps.empty() && seps.back() + 1 == end && end > 1) {
        end = seps.back();
        seps.pop_back();
    }
    Text trimmed = path.substr(0, end);
    const Text backslash(1, '\\');

    if (trimmed.size() == 2 && StartsWithDrive(trimmed)) return {trimmed + backslash, Text()};
    if (seps.empty()) {
        if (trimmed.empty()) return {path, Text()};
        if (StartsWithDrive(trimmed)) return {trimmed.substr(2), trimmed.substr(0, 2)};
        return {trimmed, Text()};
    }
    size_t last = seps.back();
    Text folder = trimmed.substr(0, last);
    if (folder.size() == 2 && StartsWithDrive(folder)) folder += backslash;
    if (folder.empty()) folder = trimmed.substr(0, 1);  // "\x" lies in the current root
    return {trimmed.substr(last + 1), folder};
}

}  // namespace

PathParts SplitItemPath(const std::string& path, UINT codePage) {
    return Split(path, SeparatorOffsets(path, codePage));
}

WidePathParts SplitItemPath(const std::wstring& path) {
    return Split(path, SeparatorOffsets(path));
}

std::string VolumeRootOf(const std::string& fullPath, UINT codePage) {
    if (StartsWithDrive(fullPath)) return fullPath.substr(0, 2) + "\\";
    if (fullPath.size() < 2 || !IsSeparator(fullPath[0]) || !IsSeparator(fullPath[1])) return {};
    // \\server\share\...: the root ends after the share name.
    std::vector<size_t> seps = SeparatorOffsets(fullPath, codePage);
    if (seps.size() < 3) return {};
    size_t serverEnd = seps[2];
    if (serverEnd == 2) return {};  // no server name
    size_t shareEnd = seps.size() > 3 ? seps[3] : fullPath.size();
    if (shareEnd == serverEnd + 1) return {};  // no share name
    std::string root = fullPath.substr(0, shareEnd);
    for (char& c : root) {
        if (c == '/') c = '\\';  // only ASCII separators are changed; no trail byte is '/'
    }
    return root + "\\";
}
