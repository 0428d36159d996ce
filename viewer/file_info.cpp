#include "file_info.h"

#include <utility>

#include "path_parts.h"
#include "wide_text.h"

namespace {

void Name(ItemInfo& info, std::wstring shownPath) {
    info.shownPath = std::move(shownPath);
    WidePathParts parts = SplitItemPath(info.shownPath);
    info.name = std::move(parts.name);
    info.folder = std::move(parts.folder);
}

}  // namespace

ItemInfo NamedItem(const std::string& path) {
    ItemInfo info;
    info.path = path;
    Name(info, WidePath(path));
    return info;
}

ItemInfo QueryItemInfo(const std::string& path) {
    ItemInfo info;
    info.path = path;
    Name(info, LongPathOf(path));

    // Attributes work for files, folders and drive roots alike, and never open the item.
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        info.error = GetLastError();
        return info;
    }
    info.exists = true;
    info.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!info.isFolder) {
        info.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    info.lastWrite = data.ftLastWriteTime;
    return info;
}

std::vector<ItemInfo> QueryItemInfos(const std::vector<std::string>& paths) {
    std::vector<ItemInfo> items;
    items.reserve(paths.size());
    for (const std::string& path : paths) items.push_back(QueryItemInfo(path));
    return items;
}

void AddToTotals(ItemTotals& totals, const ItemInfo& item) {
    ++totals.items;
    if (!item.exists) {
        ++totals.missing;
    } else if (item.isFolder) {
        ++totals.folders;
    } else {
        ++totals.files;
        totals.bytes += item.size;
    }
}

ItemTotals SumItems(const std::vector<ItemInfo>& items) {
    ItemTotals totals;
    for (const ItemInfo& item : items) AddToTotals(totals, item);
    return totals;
}
