#include "item_rows.h"

#include <windows.h>

#include "formatting.h"
#include "wide_text.h"

namespace {

int CompareText(const std::wstring& a, const std::wstring& b) {
    int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                           static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    return r == 0 ? a.compare(b) : r - CSTR_EQUAL;
}

int CompareText(const std::string& a, const std::string& b) {
    int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                           static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    return r == 0 ? a.compare(b) : r - CSTR_EQUAL;
}

// Missing items first, then folders, then files by size.
int SizeRank(const ItemInfo& item) {
    return !item.exists ? 0 : item.isFolder ? 1 : 2;
}

template <class T>
int Compare3(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

ItemRow RowFor(const ItemInfo& item, const ViewerTexts& texts, bool yearFirst) {
    ItemRow row;
    row.cells[kColumnName] = item.name;
    row.cells[kColumnFolder] = item.folder;
    if (!item.exists) {
        row.cells[kColumnSize] = ShownText(texts.MissingItem, texts);
        return row;
    }
    row.cells[kColumnSize] = ShownText(
        item.isFolder ? std::string(texts.FolderKind) : FormatSize(item.size, texts), texts);
    row.cells[kColumnModified] = ShownText(FormatLocalFileTime(item.lastWrite, yearFirst), texts);
    return row;
}

StatusTexts StatusFor(const ItemTotals& totals, const ViewerTexts& texts) {
    StatusTexts status;
    status.count = ItemCountText(totals.items, texts);
    status.breakdown = std::string(texts.FilesLabel) + std::to_string(totals.files) + "   " +
                       texts.FoldersLabel + std::to_string(totals.folders);
    if (totals.missing > 0) {
        status.breakdown +=
            std::string("   ") + texts.MissingLabel + std::to_string(totals.missing);
    }
    status.total = texts.TotalLabel + FormatSizeWithBytes(totals.bytes, texts);
    return status;
}

int CompareItems(const ItemInfo& a, const ItemInfo& b, ItemColumn column) {
    int r = 0;
    switch (column) {
        case kColumnName:
            break;
        case kColumnFolder:
            r = CompareText(a.folder, b.folder);
            break;
        case kColumnSize:
            r = Compare3(SizeRank(a), SizeRank(b));
            if (r == 0) r = Compare3(a.size, b.size);
            break;
        case kColumnModified:
            r = Compare3(a.exists, b.exists);
            if (r == 0 && a.exists) r = CompareFileTime(&a.lastWrite, &b.lastWrite);
            break;
        case kColumnCount:
            break;
    }
    if (r == 0) r = CompareText(a.name, b.name);
    if (r == 0) r = CompareText(a.path, b.path);
    return r;
}

std::wstring ItemsWindowTitle(const std::wstring& shownPath, int itemCount, bool fromList,
                              const ViewerTexts& texts) {
    std::wstring title = ShownText(std::string(texts.ProductName) + " - ", texts);
    return fromList ? title + ShownText(ItemCountText(itemCount, texts), texts) : title + shownPath;
}

std::wstring DiskWindowTitle(const DiskInfo& info, const ViewerTexts& texts) {
    return ShownText(std::string(texts.ProductName) + " - " + texts.DiskInfoTitle + " - ", texts) +
           WidePath(info.root);
}

std::vector<std::pair<std::string, std::string>> DiskLines(const DiskInfo& info,
                                                           const ViewerTexts& texts) {
    unsigned long long used =
        info.freeBytes < info.totalBytes ? info.totalBytes - info.freeBytes : 0;
    return {
        {texts.DriveLabel, info.root},
        {texts.VolumeLabel, info.label.empty() ? std::string(texts.NoVolumeLabel) : info.label},
        {texts.FileSystemLabel, info.fileSystem},
        {texts.SerialLabel, FormatSerialNumber(info.serialNumber)},
        {texts.CapacityLabel, FormatSizeWithBytes(info.totalBytes, texts)},
        {texts.UsedLabel, FormatSizeWithBytes(used, texts)},
        {texts.FreeLabel, FormatSizeWithBytes(info.freeBytes, texts)},
    };
}

std::wstring PathsForClipboard(const std::vector<const ItemInfo*>& chosen) {
    std::wstring text;
    for (const ItemInfo* item : chosen) {
        if (!text.empty()) text += L"\r\n";
        text += item->shownPath;
    }
    return text;
}
