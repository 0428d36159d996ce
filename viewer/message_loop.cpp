#include "message_loop.h"

int RunMessageLoop(HWND window, bool dialogKeys) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN &&
            (msg.wParam == VK_ESCAPE || (dialogKeys && msg.wParam == VK_RETURN))) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            continue;
        }
        if (dialogKeys && IsDialogMessageA(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
