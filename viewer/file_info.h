// What the viewer knows about one item: where it is, whether it exists, whether it is a
// folder, its size and its last change. Its path comes as ANSI bytes, perhaps as a short
// 8.3 path for a name outside the code page; what is shown is the path in its long form.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ItemInfo {
    std::string path;        // as given
    std::wstring shownPath;  // its long form, or the given path widened when not found
    std::wstring name;       // the parts of shownPath
    std::wstring folder;
    bool exists = false;
    bool isFolder = false;
    unsigned long long size = 0;  // files only
    FILETIME lastWrite = {};      // UTC, as the file system keeps it
    DWORD error = ERROR_SUCCESS;  // why the item could not be found
};

// What the path alone tells, without asking the file system: its name and folder as given.
// Not found yet: exists stays false until the item is looked up.
ItemInfo NamedItem(const std::string& path);
// The item looked up: its long form, and whether and what it is.
ItemInfo QueryItemInfo(const std::string& path);
std::vector<ItemInfo> QueryItemInfos(const std::vector<std::string>& paths);

struct ItemTotals {
    int items = 0;
    int files = 0;
    int folders = 0;
    int missing = 0;
    unsigned long long bytes = 0;  // the files' sizes added up; folders are not walked
};

void AddToTotals(ItemTotals& totals, const ItemInfo& item);
ItemTotals SumItems(const std::vector<ItemInfo>& items);
