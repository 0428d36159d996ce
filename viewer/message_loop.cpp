#include "message_loop.h"

int RunMessageLoop(HWND window, bool dialogKeys) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN &&
            (msg.wParam == VK_ESCAPE || (dialogKeys && msg.wParam == VK_RETURN))) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            continue;
        }
        if (dialogKeys && IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
