#include "ansi_name.h"

#include <cstring>

namespace {

constexpr int kLongest = MAX_PATH - 1;

// The ANSI form of `wide` when it converts back to the very same characters and fits;
// otherwise -1. Best fit would turn "é" into "e" on code page 932 and name another file.
int ExactAnsi(const WCHAR* wide, int length, char (&path)[MAX_PATH]) {
    int n = WideCharToMultiByte(CP_ACP, 0, wide, length, path, kLongest, nullptr, nullptr);
    if (n <= 0) return -1;
    WCHAR back[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, n, back, MAX_PATH) != length ||
        std::memcmp(back, wide, length * sizeof(WCHAR)) != 0)
        return -1;
    path[n] = '\0';
    return n;
}

// The short path's characters all lie in the code page wherever the volume keeps short
// names; where it keeps none, the short path is the long one and fails the same test.
int ShortAnsi(const WCHAR* wide, char (&path)[MAX_PATH]) {
    WCHAR shortPath[MAX_PATH];
    DWORD n = GetShortPathNameW(wide, shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return -1;
    return ExactAnsi(shortPath, static_cast<int>(n), path);
}

// Characters without a form of their own become '?', which no file name holds. A form too
// long for the buffer loses characters at its end until it fits.
int NoBestFitAnsi(const WCHAR* wide, int length, char (&path)[MAX_PATH]) {
    // A UTF-8 code page takes no such flag, and has no best fit.
    DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    while (length > 0) {
        int n = WideCharToMultiByte(CP_ACP, flags, wide, length, path, kLongest, nullptr, nullptr);
        if (n > 0) {
            path[n] = '\0';
            return n;
        }
        int needed = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
        if (needed <= kLongest) break;
        // No character takes more than three bytes.
        int over = (needed - kLongest + 2) / 3;
        length -= over > 0 ? over : 1;
    }
    path[0] = '\0';
    return 0;
}

}  // namespace

SIZE_T CopyAnsiName(const BYTE* name, SIZE_T length, char (&path)[MAX_PATH]) {
    SIZE_T n = length < kLongest ? length : kLongest;
    std::memcpy(path, name, n);
    path[n] = '\0';
    return n;
}

SIZE_T WideNameToAnsi(const BYTE* name, SIZE_T length, char (&path)[MAX_PATH]) {
    // DragQueryFileA keeps the first MAX_PATH - 1 characters; copied, they are aligned and
    // end in a zero, as the path functions need.
    WCHAR wide[MAX_PATH];
    int cut = static_cast<int>(length < kLongest ? length : kLongest);
    std::memcpy(wide, name, cut * sizeof(WCHAR));
    wide[cut] = L'\0';

    // Every ANSI code page holds ASCII as it is: most names need no conversion at all.
    int ascii = 0;
    while (ascii < cut && wide[ascii] < 0x80) {
        path[ascii] = static_cast<char>(wide[ascii]);
        ++ascii;
    }
    if (ascii == cut) {
        path[cut] = '\0';
        return static_cast<SIZE_T>(cut);
    }

    int n = ExactAnsi(wide, cut, path);
    // A name cut short names no file, so only a whole name is asked for its short path.
    if (n < 0 && static_cast<SIZE_T>(cut) == length) n = ShortAnsi(wide, path);
    if (n < 0) n = NoBestFitAnsi(wide, cut, path);
    return static_cast<SIZE_T>(n);
}

bool TempFolderAnsi(char (&folder)[MAX_PATH + 1]) {
    DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n > MAX_PATH) return false;
    WCHAR wide[MAX_PATH + 1];
    char ansi[MAX_PATH];
    n = GetTempPathW(MAX_PATH + 1, wide);
    if (n == 0 || n > MAX_PATH || ExactAnsi(wide, static_cast<int>(n), ansi) >= 0) return true;
    int shortLength = ShortAnsi(wide, ansi);
    if (shortLength >= 0) std::memcpy(folder, ansi, shortLength + 1);
    return true;
}
