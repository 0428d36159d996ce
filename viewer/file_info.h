// What the viewer knows about one item: where it is, whether it exists, whether it is a
// folder, its size and its last change.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ItemInfo {
    std::string path;
    std::string name;
    std::string folder;
    bool exists = false;
    bool isFolder = false;
    unsigned long long size = 0;  // files only
    FILETIME lastWrite = {};      // UTC, as the file system keeps it
    DWORD error = ERROR_SUCCESS;  // why the item could not be found
};

ItemInfo QueryItemInfo(const std::string& path);
std::vector<ItemInfo> QueryItemInfos(const std::vector<std::string>& paths);

struct ItemTotals {
    int items = 0;
    int files = 0;
    int folders = 0;
    int missing = 0;
    unsigned long long bytes = 0;  // the files' sizes added up; folders are not walked
};

ItemTotals SumItems(const std::vector<ItemInfo>& items);
