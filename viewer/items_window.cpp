#include "items_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "item_rows.h"
#include "message_loop.h"
#include "resource_ids.h"
#include "wide_text.h"

namespace {

constexpr wchar_t kClassName[] = L"VelluMaxViewerItems";
constexpr int kListId = 100;
constexpr int kStatusId = 101;

struct ItemsWindow {
    const ViewerTexts* texts = nullptr;
    std::vector<ItemInfo> items;
    std::vector<ItemRow> rows;
    int focusIndex = 0;
    HWND list = nullptr;
    HWND status = nullptr;
    int sortColumn = -1;
    bool sortDescending = false;
};

ItemsWindow* StateOf(HWND window) {
    return reinterpret_cast<ItemsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void AddColumn(HWND list, int index, const std::wstring& title, int width, int format) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void FillList(ItemsWindow& state) {
    HWND list = state.list;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCount(list, static_cast<int>(state.items.size()));
    for (size_t i = 0; i < state.items.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = LPSTR_TEXTCALLBACKW;
        item.iImage = I_IMAGECALLBACK;
        item.lParam = static_cast<LPARAM>(i);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    int focus = state.focusIndex;
    if (focus >= 0 && focus < static_cast<int>(state.items.size())) {
        ListView_SetItemState(list, focus, LVIS_FOCUSED | LVIS_SELECTED,
                              LVIS_FOCUSED | LVIS_SELECTED);
        ListView_EnsureVisible(list, focus, FALSE);
    }
}

void ShowStatus(const ItemsWindow& state) {
    const ViewerTexts& texts = *state.texts;
    StatusTexts status = StatusFor(SumItems(state.items), texts);
    const std::wstring parts[3] = {ShownText(status.count, texts),
                                   ShownText(status.breakdown, texts),
                                   ShownText(status.total, texts)};
    for (int i = 0; i < 3; ++i)
        SendMessageW(state.status, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(parts[i].c_str()));
}

bool CreateChildren(HWND window, ItemsWindow& state) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    state.list = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
        0, 0, 0, 0, window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
    state.status =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                        0, window, reinterpret_cast<HMENU>(kStatusId), instance, nullptr);
    if (state.list == nullptr || state.status == nullptr) return false;

    ListView_SetExtendedListViewStyle(state.list,
                                      LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    // The shell's own small icons; shared, so the list must not destroy them.
    SHFILEINFOW info = {};
    HIMAGELIST icons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons != nullptr) ListView_SetImageList(state.list, icons, LVSIL_SMALL);

    const ViewerTexts& t = *state.texts;
    AddColumn(state.list, kColumnName, ShownText(t.ColumnName, t), 220, LVCFMT_LEFT);
    AddColumn(state.list, kColumnFolder, ShownText(t.ColumnFolder, t), 280, LVCFMT_LEFT);
    AddColumn(state.list, kColumnSize, ShownText(t.ColumnSize, t), 120, LVCFMT_RIGHT);
    AddColumn(state.list, kColumnModified, ShownText(t.ColumnModified, t), 130, LVCFMT_LEFT);
    FillList(state);
    int parts[3] = {180, 440, -1};  // until the first layout sets them from the width
    SendMessageW(state.status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    ShowStatus(state);
    return true;
}

void Layout(HWND window, const ItemsWindow& state) {
    RECT client;
    GetClientRect(window, &client);
    SendMessageW(state.status, WM_SIZE, 0, 0);
    RECT bar;
    GetWindowRect(state.status, &bar);
    int barHeight = bar.bottom - bar.top;
    int width = client.right;
    int parts[3] = {width * 22 / 100, width * 55 / 100, -1};
    SendMessageW(state.status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    MoveWindow(state.list, 0, 0, width, client.bottom - barHeight, TRUE);
}

int IconFor(const ItemInfo& item) {
    SHFILEINFOW info = {};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    DWORD attributes = 0;
    if (!item.exists) {
        // A missing item still gets the icon its name would have.
        flags |= SHGFI_USEFILEATTRIBUTES;
        attributes = FILE_ATTRIBUTE_NORMAL;
    }
    if (!SHGetFileInfoW(item.shownPath.c_str(), attributes, &info, sizeof info, flags)) return 0;
    return info.iIcon;
}

void AnswerDisplayInfo(ItemsWindow& state, NMLVDISPINFOW* request) {
    LVITEMW& item = request->item;
    size_t index = static_cast<size_t>(item.lParam);
    if (index >= state.items.size()) return;
    if ((item.mask & LVIF_TEXT) && item.iSubItem >= 0 && item.iSubItem < kColumnCount &&
        item.cchTextMax > 0) {
        lstrcpynW(item.pszText, state.rows[index].cells[item.iSubItem].c_str(), item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE) {
        item.iImage = IconFor(state.items[index]);
        item.mask |= LVIF_DI_SETITEM;  // looked up once per item
    }
}

int CALLBACK CompareForSort(LPARAM left, LPARAM right, LPARAM context) {
    const ItemsWindow& state = *reinterpret_cast<const ItemsWindow*>(context);
    int r = CompareItems(state.items[static_cast<size_t>(left)],
                         state.items[static_cast<size_t>(right)],
                         static_cast<ItemColumn>(state.sortColumn));
    return state.sortDescending ? -r : r;
}

void SortBy(ItemsWindow& state, int column) {
    if (column < 0 || column >= kColumnCount) return;
    state.sortDescending = (column == state.sortColumn) ? !state.sortDescending : false;
    state.sortColumn = column;
    ListView_SortItems(state.list, CompareForSort, reinterpret_cast<LPARAM>(&state));

    HWND header = ListView_GetHeader(state.list);
    for (int i = 0; i < kColumnCount; ++i) {
        HDITEMW h = {};
        h.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&h));
        h.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column) h.fmt |= state.sortDescending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&h));
    }
    int focus = ListView_GetNextItem(state.list, -1, LVNI_FOCUSED);
    if (focus >= 0) ListView_EnsureVisible(state.list, focus, FALSE);
}

std::vector<const ItemInfo*> ChosenItems(const ItemsWindow& state) {
    std::vector<const ItemInfo*> chosen;
    for (int i = ListView_GetNextItem(state.list, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(state.list, i, LVNI_SELECTED)) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        if (SendMessageW(state.list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
            chosen.push_back(&state.items[static_cast<size_t>(item.lParam)]);
        }
    }
    return chosen;
}

// As UTF-16: the system gives ANSI readers the clipboard text they ask for.
void CopyToClipboard(HWND window, const std::wstring& text) {
    if (text.empty() || !OpenClipboard(window)) return;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory != nullptr) {
        void* copy = GlobalLock(memory);
        if (copy != nullptr) {
            CopyMemory(copy, text.c_str(), bytes);
            GlobalUnlock(memory);
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void OnListKey(HWND window, ItemsWindow& state, WORD key) {
    if ((GetKeyState(VK_CONTROL) & 0x8000) == 0) return;
    if (key == 'C') CopyToClipboard(window, PathsForClipboard(ChosenItems(state)));
    if (key == 'A') ListView_SetItemState(state.list, -1, LVIS_SELECTED, LVIS_SELECTED);
}

LRESULT CALLBACK ItemsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ItemsWindow* state = StateOf(window);
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_CREATE:
            return CreateChildren(window, *state) ? 0 : -1;
        case WM_SIZE:
            if (state != nullptr && state->list != nullptr) Layout(window, *state);
            return 0;
        case WM_SETFOCUS:
            if (state != nullptr && state->list != nullptr) SetFocus(state->list);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize.x = 360;
            limits->ptMinTrackSize.y = 200;
            return 0;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (state == nullptr || header->hwndFrom != state->list) break;
            if (header->code == LVN_GETDISPINFOW) {
                AnswerDisplayInfo(*state, reinterpret_cast<NMLVDISPINFOW*>(lParam));
            } else if (header->code == LVN_COLUMNCLICK) {
                SortBy(*state, reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
            } else if (header->code == LVN_KEYDOWN) {
                OnListKey(window, *state, reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey);
            }
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(kExitDone);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunItemsWindow(HINSTANCE instance, const ViewerStart& start, const ViewerTexts& texts,
                   bool yearFirst, int show) {
    ItemsWindow state;
    state.texts = &texts;
    state.items = start.items;
    state.focusIndex = start.focusIndex;
    state.rows.reserve(state.items.size());
    for (const ItemInfo& item : state.items) state.rows.push_back(RowFor(item, texts, yearFirst));

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ItemsWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VIEWER));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VIEWER),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    HWND window = nullptr;
    if (RegisterClassExW(&windowClass)) {
        window =
            CreateWindowExW(0, kClassName, start.title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 800, 480, nullptr, nullptr, instance, &state);
    }
    if (window == nullptr) {
        ShowViewerMessage(texts.WindowError, texts);
        return kExitNoWindow;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    return RunMessageLoop(window, false);
}
