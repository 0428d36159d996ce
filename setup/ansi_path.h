// Paths for the "A" functions from a folder whose name the system's code page cannot
// spell (a user name in Cyrillic on a French Windows): the short name where one exists.
#pragma once

#include <string>

// The path in the system's code page; where it holds a character the code page lacks, its
// short form; empty when neither spells it.
std::string AnsiPath(const std::wstring& path);

// The current folder, in UTF-16 and for the "A" functions.
std::wstring CurrentFolderWide();

// The folder part of a path: everything before its last backslash.
std::wstring WideFolderOf(const std::wstring& path);
