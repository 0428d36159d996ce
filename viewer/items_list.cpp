#include "items_list.h"

#include <shellapi.h>

#include <string>

#include "dpi_scale.h"
#include "wide_text.h"

namespace {

void AddColumn(HWND list, int index, const std::wstring& title, int width, int format) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

// The icon that the name alone gives: asks nothing of the file, which may lie on a slow
// share.
int IconByName(const std::wstring& name, IconsByExtension& byName) {
    size_t dot = name.rfind(L'.');
    std::wstring extension = dot == std::wstring::npos ? std::wstring() : name.substr(dot);
    if (!extension.empty()) CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    auto known = byName.find(extension);
    if (known != byName.end()) return known->second;
    SHFILEINFOW info = {};
    int icon = 0;
    if (SHGetFileInfoW((L"x" + extension).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        icon = info.iIcon;
    byName.emplace(extension, icon);
    return icon;
}

// The item's own icon; a missing item gets the one its name would have.
int IconOf(const ItemInfo& item) {
    SHFILEINFOW info = {};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    DWORD attributes = 0;
    if (!item.exists) {
        flags |= SHGFI_USEFILEATTRIBUTES;
        attributes = FILE_ATTRIBUTE_NORMAL;
    }
    if (!SHGetFileInfoW(item.shownPath.c_str(), attributes, &info, sizeof info, flags)) return 0;
    return info.iIcon;
}

void MarkSortColumn(HWND list, int column, bool descending) {
    HWND header = ListView_GetHeader(list);
    for (int i = 0; i < kColumnCount; ++i) {
        HDITEMW h = {};
        h.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&h));
        h.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column) h.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&h));
    }
}

}  // namespace

HWND CreateItemsList(HWND parent, int id, const ViewerTexts& texts, int count, UINT dpi) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND list = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
            LVS_OWNERDATA,
        0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (list == nullptr) return nullptr;
    ListView_SetExtendedListViewStyle(list,
                                      LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    // The shell's own small icons; shared, so the list must not destroy them.
    SHFILEINFOW info = {};
    HIMAGELIST icons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons != nullptr) ListView_SetImageList(list, icons, LVSIL_SMALL);

    const ViewerTexts& t = texts;
    AddColumn(list, kColumnName, ShownText(t.ColumnName, t), ScaleForDpi(220, dpi), LVCFMT_LEFT);
    AddColumn(list, kColumnFolder, ShownText(t.ColumnFolder, t), ScaleForDpi(280, dpi),
              LVCFMT_LEFT);
    AddColumn(list, kColumnSize, ShownText(t.ColumnSize, t), ScaleForDpi(120, dpi), LVCFMT_RIGHT);
    AddColumn(list, kColumnModified, ShownText(t.ColumnModified, t), ScaleForDpi(130, dpi),
              LVCFMT_LEFT);
    ListView_SetItemCountEx(list, count, 0);
    return list;
}

void ScaleColumns(HWND list, UINT fromDpi, UINT toDpi) {
    if (fromDpi == toDpi || fromDpi == 0) return;
    for (int i = 0; i < kColumnCount; ++i) {
        int width = ListView_GetColumnWidth(list, i);
        ListView_SetColumnWidth(list, i,
                                MulDiv(width, static_cast<int>(toDpi), static_cast<int>(fromDpi)));
    }
}

void AnswerDisplayInfo(ItemTable& table, IconsByExtension& byName, NMLVDISPINFOW& request) {
    LVITEMW& item = request.item;
    if (item.iItem < 0 || item.iItem >= table.Count()) return;
    if ((item.mask & LVIF_TEXT) && item.iSubItem >= 0 && item.iSubItem < kColumnCount &&
        item.cchTextMax > 0) {
        lstrcpynW(item.pszText, table.RowAt(item.iItem).cells[item.iSubItem].c_str(),
                  item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE) {
        const int row = item.iItem;
        if (!table.LookedUpAt(row)) {
            item.iImage = IconByName(table.ItemAt(row).name, byName);
        } else {
            if (table.IconAt(row) < 0) table.SetIconAt(row, IconOf(table.ItemAt(row)));
            item.iImage = table.IconAt(row);
        }
    }
}

int FindRow(ItemTable& table, const NMLVFINDITEMW& request) {
    const LVFINDINFOW& find = request.lvfi;
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.psz == nullptr) return -1;
    return table.FindByName(find.psz, request.iStart, (find.flags & LVFI_WRAP) != 0);
}

void SortRows(HWND list, ItemTable& table, int column, bool descending, bool showFocus) {
    // A virtual list keeps its choice by row number: note it by item, and put it back on
    // the rows the items move to.
    const int count = table.Count();
    const bool allChosen = count > 0 && ListView_GetSelectedCount(list) == static_cast<UINT>(count);
    std::vector<int> chosen;
    if (!allChosen) {
        for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(list, row, LVNI_SELECTED))
            chosen.push_back(table.ItemIndexAt(row));
    }
    int focusRow = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    int focusItem = focusRow >= 0 ? table.ItemIndexAt(focusRow) : -1;

    table.Sort(static_cast<ItemColumn>(column), descending);

    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    if (!allChosen) {
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        for (int item : chosen)
            ListView_SetItemState(list, table.RowOfItem(item), LVIS_SELECTED, LVIS_SELECTED);
    }
    if (focusItem >= 0) {
        int row = table.RowOfItem(focusItem);
        ListView_SetItemState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_SetSelectionMark(list, row);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, FALSE);
    MarkSortColumn(list, column, descending);
    if (showFocus && focusItem >= 0)
        ListView_EnsureVisible(list, table.RowOfItem(focusItem), FALSE);
}

std::vector<const ItemInfo*> ChosenItems(HWND list, ItemTable& table) {
    std::vector<const ItemInfo*> chosen;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0 && row < table.Count();
         row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        chosen.push_back(&table.ItemAt(row));
    return chosen;
}
