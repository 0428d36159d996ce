// The list file that names several items: the count on the first line, then one path per
// line. Lists are read generously: fewer paths than the count says, a count that is not a
// number (then every path line is taken), LF-only line ends and a missing last line end
// are all accepted. Blank lines are skipped, paths beyond the count are ignored, and no
// list yields more than kMaxListItems paths.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

inline constexpr int kMaxListItems = 8192;

struct ListContents {
    bool countIsNumber = false;
    int declaredCount = 0;  // capped at kMaxListItems; 0 when the count is not a number
    std::vector<std::string> paths;
};

ListContents ParseListText(std::string_view bytes);

// What ReadListFile reports for a name that opens something other than a file on a disk
// (a device such as COM1 or CON, a pipe): reading it could wait for ever.
inline constexpr DWORD kListNotADiskFile = ERROR_BAD_FILE_TYPE;

// Reads a list file. False when it cannot be opened or read, or is no file on a disk;
// error then holds the reason.
bool ReadListFile(const std::string& path, ListContents& contents, DWORD& error);

// A list that the shell extension made for us: a "VM*.tmp" file directly in the temporary
// directory. Only such a file is deleted after reading, so that "/f" naming some other
// file can never destroy it.
bool IsTemporaryListFile(const std::string& path);

// Reads the list and, when it is one of ours, deletes it: nobody else ever will.
bool ReadAndDisposeListFile(const std::string& path, ListContents& contents, DWORD& error);
