#include "environment.h"

#include <cstring>

#include "setup_texts.h"

std::string ProductDisplayName;
char SystemDir[MAX_PATH];
char WindowsDir[MAX_PATH];

bool IsJapaneseSystem() {
    return GetSystemDefaultLangID() == 0x0411;
}

bool IsWindowsNT() {
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the structure size the system expects");
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    // Bit 1 is set for VER_PLATFORM_WIN32_NT (2) and clear for VER_PLATFORM_WIN32_WINDOWS (1).
    return (info.dwPlatformId & 2) != 0;
}

void ChooseProductDisplayName() {
    ProductDisplayName = IsJapaneseSystem() ? Texts::ProductNameJapanese : Texts::ProductNameFrench;
}

std::string FolderText(const char* buffer) {
    return std::string(buffer, strnlen(buffer, MAX_PATH));
}

void FillSystemFolders() {
    GetSystemDirectoryA(SystemDir, MAX_PATH);
    GetWindowsDirectoryA(WindowsDir, MAX_PATH);
}
