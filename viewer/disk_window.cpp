#include "disk_window.h"

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "formatting.h"
#include "item_rows.h"
#include "message_loop.h"
#include "resource_ids.h"

namespace {

constexpr wchar_t kClassName[] = L"VelluMaxViewerDisk";
constexpr int kClientWidth = 460;
constexpr int kClientHeight = 290;
constexpr int kMargin = 12;

struct DiskWindow {
    const ViewerTexts* texts = nullptr;
    const DiskInfo* disk = nullptr;
    HWND close = nullptr;
};

DiskWindow* StateOf(HWND window) {
    return reinterpret_cast<DiskWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HWND Child(HWND parent, DWORD exStyle, const char* className, const char* text, DWORD style, int x,
           int y, int width, int height, int id) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    HWND child =
        CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                        height, parent, reinterpret_cast<HMENU>(id), instance, nullptr);
    if (child != nullptr) {
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     TRUE);
    }
    return child;
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
    int width = kClientWidth - 2 * kMargin;

    HWND list = Child(window, WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                      WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SINGLESEL, kMargin, kMargin,
                      width, 178, 100);
    if (list == nullptr) return false;
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    AddColumn(list, 0, t.PropertyColumn, 150);
    AddColumn(list, 1, t.ValueColumn, width - 150 - GetSystemMetrics(SM_CXVSCROLL));
    std::vector<std::pair<std::string, std::string>> lines = DiskLines(disk, t);
    for (size_t i = 0; i < lines.size(); ++i) {
        AddLine(list, static_cast<int>(i), lines[i].first, lines[i].second);
    }

    int permille = UsedPermille(disk);
    int barTop = kMargin + 178 + 14;
    std::string used = t.UsedShareLabel + FormatPermille(permille, t);
    Child(window, 0, "STATIC", used.c_str(), SS_LEFT, kMargin, barTop, width, 16, 101);
    HWND bar = Child(window, 0, PROGRESS_CLASSA, "", 0, kMargin, barTop + 18, width, 16, 102);
    if (bar != nullptr) {
        SendMessageA(bar, PBM_SETRANGE32, 0, 1000);
        SendMessageA(bar, PBM_SETPOS, permille, 0);
    }
    state.close = Child(window, 0, "BUTTON", t.CloseButton, WS_TABSTOP | BS_DEFPUSHBUTTON,
                        kClientWidth - kMargin - 96, kClientHeight - kMargin - 26, 96, 26, IDOK);
    return state.close != nullptr;
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

    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = nullptr;
    if (RegisterClassExW(&windowClass)) {
        window = CreateWindowExW(0, kClassName, start.title.c_str(), style, CW_USEDEFAULT,
                                 CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                 nullptr, nullptr, instance, &state);
    }
    if (window == nullptr) {
        ShowViewerMessage(texts.WindowError, texts);
        return kExitNoWindow;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    return RunMessageLoop(window, true);
}
