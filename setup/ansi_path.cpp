#include "ansi_path.h"

#include <windows.h>

#include <vector>

namespace {

bool ToAnsi(const std::wstring& path, std::string& ansi) {
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0,
                                           nullptr, &lossy);
    if (length <= 0 || lossy) return false;
    std::vector<char> bytes(length);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, bytes.data(), length, nullptr,
                        &lossy);
    ansi.assign(bytes.data());
    return !lossy && ansi.size() < MAX_PATH;
}

}  // namespace

std::string AnsiPath(const std::wstring& path) {
    std::string ansi;
    if (ToAnsi(path, ansi)) return ansi;
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !ToAnsi(shortPath, ansi)) return std::string();
    return ansi;
}

std::wstring CurrentFolderWide() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return std::wstring();
    std::vector<wchar_t> folder(length);
    const DWORD written = GetCurrentDirectoryW(length, folder.data());
    if (written == 0 || written >= length) return std::wstring();
    std::wstring text(folder.data(), written);
    // A drive's root ends in a backslash already.
    if (!text.empty() && text.back() == L'\\') text.pop_back();
    return text;
}

std::wstring WideFolderOf(const std::wstring& path) {
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
