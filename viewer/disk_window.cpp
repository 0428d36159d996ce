#include "disk_window.h"

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "dpi_scale.h"
#include "formatting.h"
#include "item_rows.h"
#include "message_loop.h"
#include "resource_ids.h"

namespace {

constexpr wchar_t kClassName[] = L"VelluMaxViewerDisk";
// The layout at 96 dpi; every other dpi scales it.
constexpr int kClientWidth = 460;
constexpr int kClientHeight = 290;
constexpr int kMargin = 12;
constexpr int kListHeight = 178;
constexpr int kLabelColumn = 150;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

struct DiskWindow {
    const ViewerTexts* texts = nullptr;
    const DiskInfo* disk = nullptr;
    UINT dpi = 96;
    HWND list = nullptr;
    HWND used = nullptr;
    HWND bar = nullptr;
    HWND close = nullptr;
    DpiFont font;
};

DiskWindow* StateOf(HWND window) {
    return reinterpret_cast<DiskWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Made where PlaceChildren puts it.
HWND Child(HWND parent, DWORD exStyle, const char* className, const char* text, DWORD style,
           int id) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           nullptr);
}

void PlaceChildren(const DiskWindow& state) {
    auto scaled = [&](int pixels) { return ScaleForDpi(pixels, state.dpi); };
    const int width = kClientWidth - 2 * kMargin;
    const int barTop = kMargin + kListHeight + 14;
    MoveWindow(state.list, scaled(kMargin), scaled(kMargin), scaled(width), scaled(kListHeight),
               TRUE);
    ListView_SetColumnWidth(state.list, 0, scaled(kLabelColumn));
    ListView_SetColumnWidth(
        state.list, 1,
        scaled(width) - scaled(kLabelColumn) - SystemMetricForDpi(SM_CXVSCROLL, state.dpi));
    MoveWindow(state.used, scaled(kMargin), scaled(barTop), scaled(width), scaled(16), TRUE);
    MoveWindow(state.bar, scaled(kMargin), scaled(barTop + 18), scaled(width), scaled(16), TRUE);
    MoveWindow(state.close, scaled(kClientWidth - kMargin - 96),
               scaled(kClientHeight - kMargin - 26), scaled(96), scaled(26), TRUE);
}

// The stock dialog font suits the system's dpi; another monitor's gets it scaled.
void ApplyDpi(DiskWindow& state) {
    state.font.Apply(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), state.dpi,
                     {state.list, state.used, state.bar, state.close});
    PlaceChildren(state);
}

void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void AddLine(HWND list, int index, const std::string& label, const std::string& value) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(label.c_str());
    int row =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    item.iItem = row;
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(value.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

bool CreateChildren(HWND window, DiskWindow& state) {
    const ViewerTexts& t = *state.texts;
    const DiskInfo& disk = *state.disk;
    state.dpi = WindowDpi(window);

    state.list = Child(window, WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                       WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL, 100);
    if (state.list == nullptr) return false;
    ListView_SetExtendedListViewStyle(state.list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    AddColumn(state.list, 0, t.PropertyColumn, 0);
    AddColumn(state.list, 1, t.ValueColumn, 0);
    std::vector<std::pair<std::string, std::string>> lines = DiskLines(disk, t);
    for (size_t i = 0; i < lines.size(); ++i) {
        AddLine(state.list, static_cast<int>(i), lines[i].first, lines[i].second);
    }

    int permille = UsedPermille(disk);
    std::string used = t.UsedShareLabel + FormatPermille(permille, t);
    state.used = Child(window, 0, "STATIC", used.c_str(), SS_LEFT, 101);
    state.bar = Child(window, 0, PROGRESS_CLASSA, "", 0, 102);
    if (state.bar != nullptr) {
        SendMessageA(state.bar, PBM_SETRANGE32, 0, 1000);
        SendMessageA(state.bar, PBM_SETPOS, permille, 0);
    }
    state.close = Child(window, 0, "BUTTON", t.CloseButton, WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    if (state.close == nullptr) return false;
    ApplyDpi(state);
    SetWindowIcons(window, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)),
                   IDI_VIEWER, state.dpi);
    return true;
}

LRESULT CALLBACK DiskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DiskWindow* state = StateOf(window);
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_CREATE:
            return CreateChildren(window, *state) ? 0 : -1;
        case WM_SETFOCUS:
            if (state != nullptr && state->close != nullptr) SetFocus(state->close);
            return 0;
        case WM_DPICHANGED:
            if (state != nullptr && state->close != nullptr) {
                state->dpi = LOWORD(wParam);
                const RECT& suggested = *reinterpret_cast<RECT*>(lParam);
                SetWindowPos(window, nullptr, suggested.left, suggested.top,
                             suggested.right - suggested.left, suggested.bottom - suggested.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
                ApplyDpi(*state);
                SetWindowIcons(
                    window, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)),
                    IDI_VIEWER, state->dpi);
            }
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(kExitDone);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunDiskWindow(HINSTANCE instance, const ViewerStart& start, const ViewerTexts& texts,
                  int show) {
    DiskWindow state;
    state.texts = &texts;
    state.disk = &start.disk;

    // A Unicode frame, for its title; the children show the texts' bytes as they are.
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DiskWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VIEWER));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VIEWER),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;

    const UINT systemDpi = SystemDpi();
    SIZE frame = FrameForClient(ScaleForDpi(kClientWidth, systemDpi),
                                ScaleForDpi(kClientHeight, systemDpi), kStyle, 0, systemDpi);
    HWND window = nullptr;
    if (RegisterClassExW(&windowClass)) {
        window =
            CreateWindowExW(0, kClassName, start.title.c_str(), kStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, frame.cx, frame.cy, nullptr, nullptr, instance, &state);
    }
    if (window == nullptr) {
        ShowViewerMessage(texts.WindowError, texts);
        return kExitNoWindow;
    }
    // Opened on a monitor whose dpi is not the system's: sized for that one.
    if (state.dpi != systemDpi) {
        frame = FrameForClient(ScaleForDpi(kClientWidth, state.dpi),
                               ScaleForDpi(kClientHeight, state.dpi), kStyle, 0, state.dpi);
        SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    return RunMessageLoop(window, true);
}
