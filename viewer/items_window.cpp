#include "items_window.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "dpi_scale.h"
#include "formatting.h"
#include "item_lookup.h"
#include "item_rows.h"
#include "item_table.h"
#include "items_list.h"
#include "message_loop.h"
#include "resource_ids.h"
#include "start_trace.h"
#include "wide_text.h"

namespace {

constexpr wchar_t kClassName[] = L"VelluMaxViewerItems";
constexpr int kListId = 100;
constexpr int kStatusId = 101;
// Sent by the message loop when it first has nothing to do: the look-up starts then.
constexpr UINT kStartLookup = WM_APP + 1;
// Posted by the look-up as results come in.
constexpr UINT kLookupProgress = WM_APP + 2;

struct ItemsWindow {
    ItemsWindow(ViewerStart& start, const ViewerTexts& t, bool year)
        : texts(&t),
          yearFirst(year),
          fromList(start.fromList),
          table(std::make_shared<const std::vector<std::string>>(std::move(start.paths))),
          focusIndex(start.focusIndex) {}

    const ViewerTexts* texts;
    bool yearFirst;
    bool fromList;
    ItemTable table;
    std::unique_ptr<ItemLookup> lookup;
    IconsByExtension iconsByName;
    int focusIndex;
    HWND list = nullptr;
    HWND status = nullptr;
    int sortColumn = -1;
    bool sortDescending = false;
    UINT dpi = 96;
    HFONT listFont = nullptr;  // the fonts the controls came with
    HFONT statusFont = nullptr;
    DpiFont listDpiFont;
    DpiFont statusDpiFont;
};

ItemsWindow* StateOf(HWND window) {
    return reinterpret_cast<ItemsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Counts up while the look-up runs ("1 024 / 8 192 éléments"), then says what it says
// for a finished list.
void ShowStatus(const ItemsWindow& state) {
    const ViewerTexts& texts = *state.texts;
    const ItemTable& table = state.table;
    StatusTexts status = StatusFor(table.Totals(), texts);
    if (!table.AllLookedUp()) {
        status.count = FormatByteCount(table.LookedUpCount(), texts) + " / " +
                       ItemCountText(table.Count(), texts);
    }
    const std::wstring parts[3] = {ShownText(status.count, texts),
                                   ShownText(status.breakdown, texts),
                                   ShownText(status.total, texts)};
    for (int i = 0; i < 3; ++i)
        SendMessageW(state.status, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(parts[i].c_str()));
}

void ApplyDpiFonts(ItemsWindow& state) {
    state.listDpiFont.Apply(state.listFont, state.dpi, {state.list});
    state.statusDpiFont.Apply(state.statusFont, state.dpi, {state.status});
}

bool CreateChildren(HWND window, ItemsWindow& state) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    state.dpi = WindowDpi(window);
    state.list = CreateItemsList(window, kListId, *state.texts, state.table.Count(), state.dpi);
    state.status =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                        0, window, reinterpret_cast<HMENU>(kStatusId), instance, nullptr);
    if (state.list == nullptr || state.status == nullptr) return false;
    state.listFont = reinterpret_cast<HFONT>(SendMessageW(state.list, WM_GETFONT, 0, 0));
    state.statusFont = reinterpret_cast<HFONT>(SendMessageW(state.status, WM_GETFONT, 0, 0));
    if (state.dpi != SystemDpi()) ApplyDpiFonts(state);
    SetWindowIcons(window, instance, IDI_VIEWER, state.dpi);

    int focus = state.focusIndex;
    if (focus >= 0 && focus < state.table.Count()) {
        ListView_SetItemState(state.list, focus, LVIS_FOCUSED | LVIS_SELECTED,
                              LVIS_FOCUSED | LVIS_SELECTED);
        ListView_SetSelectionMark(state.list, focus);
        ListView_EnsureVisible(state.list, focus, FALSE);
    }
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

void OnDpiChanged(HWND window, ItemsWindow& state, UINT dpi, const RECT& suggested) {
    ScaleColumns(state.list, state.dpi, dpi);
    state.dpi = dpi;
    ApplyDpiFonts(state);
    SetWindowIcons(window, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)),
                   IDI_VIEWER, dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(window, state);
}

void StartLookup(HWND window, ItemsWindow& state) {
    TraceStart("loop", "running");
    state.lookup = std::make_unique<ItemLookup>(state.table.Paths(), *state.texts, state.yearFirst,
                                                window, kLookupProgress);
}

void OnLookupProgress(HWND window, ItemsWindow& state) {
    if (!state.lookup || !state.table.TakeResults(*state.lookup)) return;
    InvalidateRect(state.list, nullptr, FALSE);
    ShowStatus(state);
    if (!state.table.AllLookedUp()) return;
    // Sorted while the sizes and dates were still coming: sorted again on all of them.
    if (state.sortColumn >= 0)
        SortRows(state.list, state.table, state.sortColumn, state.sortDescending, false);
    if (!state.fromList && state.table.Count() == 1) {
        std::wstring title =
            ItemsWindowTitle(state.table.ItemAt(0).shownPath, 1, false, *state.texts);
        SetWindowTextW(window, title.c_str());
    }
}

void SortBy(ItemsWindow& state, int column) {
    if (column < 0 || column >= kColumnCount) return;
    state.sortDescending = (column == state.sortColumn) ? !state.sortDescending : false;
    state.sortColumn = column;
    SortRows(state.list, state.table, column, state.sortDescending, true);
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
    if (key == 'C')
        CopyToClipboard(window, PathsForClipboard(ChosenItems(state.list, state.table)));
    if (key == 'A') ListView_SetItemState(state.list, -1, LVIS_SELECTED, LVIS_SELECTED);
}

LRESULT OnListNotify(HWND window, ItemsWindow& state, NMHDR* header) {
    switch (header->code) {
        case LVN_GETDISPINFOW:
            AnswerDisplayInfo(state.table, state.iconsByName,
                              *reinterpret_cast<NMLVDISPINFOW*>(header));
            break;
        case LVN_ODFINDITEMW:
            return FindRow(state.table, *reinterpret_cast<NMLVFINDITEMW*>(header));
        case LVN_COLUMNCLICK:
            SortBy(state, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            break;
        case LVN_KEYDOWN:
            OnListKey(window, state, reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey);
            break;
    }
    return 0;
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
            UINT dpi = state != nullptr ? state->dpi : WindowDpi(window);
            limits->ptMinTrackSize.x = ScaleForDpi(360, dpi);
            limits->ptMinTrackSize.y = ScaleForDpi(200, dpi);
            return 0;
        }
        case WM_DPICHANGED:
            if (state != nullptr && state->list != nullptr)
                OnDpiChanged(window, *state, LOWORD(wParam), *reinterpret_cast<RECT*>(lParam));
            return 0;
        case kStartLookup:
            if (state != nullptr && !state->lookup) StartLookup(window, *state);
            return 0;
        case kLookupProgress:
            if (state != nullptr) OnLookupProgress(window, *state);
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (state == nullptr || header->hwndFrom != state->list) break;
            return OnListNotify(window, *state, header);
        }
        case WM_DESTROY:
            PostQuitMessage(kExitDone);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunItemsWindow(HINSTANCE instance, ViewerStart& start, const ViewerTexts& texts, bool yearFirst,
                   int show) {
    ItemsWindow state(start, texts, yearFirst);

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
    const UINT systemDpi = SystemDpi();
    if (RegisterClassExW(&windowClass)) {
        window = CreateWindowExW(0, kClassName, start.title.c_str(), WS_OVERLAPPEDWINDOW,
                                 CW_USEDEFAULT, CW_USEDEFAULT, ScaleForDpi(800, systemDpi),
                                 ScaleForDpi(480, systemDpi), nullptr, nullptr, instance, &state);
    }
    if (window == nullptr) {
        ShowViewerMessage(texts.WindowError, texts);
        return kExitNoWindow;
    }
    // Opened on a monitor whose dpi is not the system's: sized for that one.
    if (state.dpi != systemDpi) {
        SetWindowPos(window, nullptr, 0, 0, ScaleForDpi(800, state.dpi),
                     ScaleForDpi(480, state.dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Painted from the message loop, like every later paint: the start is not held up by
    // drawing a page of rows.
    ShowWindow(window, show);
    TraceStart("window", std::to_string(state.table.Count()) + " rows");
    int code = RunMessageLoop(window, false, kStartLookup);
    state.lookup.reset();  // before the table that its messages would fill
    return code;
}
