// Values every flow of the setup program shares: the product's display name in the user's
// language, the two Windows folders, and the language and platform tests.
#pragma once

#include <windows.h>

#include <string>

// "VelluMax", or its Japanese form on a Japanese system; the prefix of every caption.
extern std::string ProductDisplayName;
// Filled at the start of each flow; no trailing backslash.
extern char SystemDir[MAX_PATH];
extern char WindowsDir[MAX_PATH];

// True exactly when the system's default language is Japanese as used in Japan (0x0411).
bool IsJapaneseSystem();
// True on the Windows NT family, false on the Windows 95 family.
bool IsWindowsNT();

// Sets ProductDisplayName for the system's language.
void ChooseProductDisplayName();
// The first step of both flows: GetSystemDirectoryA, then GetWindowsDirectoryA.
void FillSystemFolders();
// The text of a folder buffer such as SystemDir, read no further than MAX_PATH characters.
std::string FolderText(const char* buffer);
