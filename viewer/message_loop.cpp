#include "message_loop.h"

int RunMessageLoop(HWND window, bool dialogKeys, UINT idleMessage) {
    MSG msg;
    for (;;) {
        if (idleMessage != 0 && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            SendMessageW(window, idleMessage, 0, 0);
            idleMessage = 0;
        }
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
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
