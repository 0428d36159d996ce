#include "path_parts.h"

#include <vector>

namespace {

bool IsSeparator(char c) {
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

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool StartsWithDrive(const std::string& path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

}  // namespace

PathParts SplitItemPath(const std::string& path, UINT codePage) {
    std::vector<size_t> seps = SeparatorOffsets(path, codePage);
    // Trailing separators name the same folder as without them ("C:\x\" is "C:\x").
    size_t end = path.size();
    while (!seps.empty() && seps.back() + 1 == end && end > 1) {
        end = seps.back();
        seps.pop_back();
    }
    std::string trimmed = path.substr(0, end);

    if (trimmed.size() == 2 && StartsWithDrive(trimmed)) return {trimmed + "\\", ""};
    if (seps.empty()) {
        if (trimmed.empty()) return {path, ""};
        if (StartsWithDrive(trimmed)) return {trimmed.substr(2), trimmed.substr(0, 2)};
        return {trimmed, ""};
    }
    size_t last = seps.back();
    std::string folder = trimmed.substr(0, last);
    if (folder.size() == 2 && StartsWithDrive(folder)) folder += "\\";
    if (folder.empty()) folder = trimmed.substr(0, 1);  // "\x" lies in the current root
    return {trimmed.substr(last + 1), folder};
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
