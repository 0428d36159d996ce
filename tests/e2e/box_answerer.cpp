// Plays the user in front of the setup program: waits for each message box in turn, writes
// its caption and text to a log, and presses the button the script names.
//   box_answerer.exe <log file> <answer>...     answers: OK CANCEL YES NO RETRY ESC
// An answer written <answer>+<file> first creates the file, which tells another program to
// let go of what the box is about, waits two seconds, then presses the button.
// Exit code 0 when every box was answered, 1 when one did not come within the time limit.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "test_files.h"

namespace {

const DWORD kWaitMs = 90000;

int ButtonFor(const char* answer) {
    if (!lstrcmpiA(answer, "OK")) return IDOK;
    if (!lstrcmpiA(answer, "CANCEL") || !lstrcmpiA(answer, "ESC")) return IDCANCEL;
    if (!lstrcmpiA(answer, "YES")) return IDYES;
    if (!lstrcmpiA(answer, "NO")) return IDNO;
    if (!lstrcmpiA(answer, "RETRY")) return IDRETRY;
    return 0;
}

struct Found {
    HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd)) {
        reinterpret_cast<Found*>(param)->box = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForBox(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        Found found;
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&found));
        if (found.box) return found.box;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

// The message text is the box's static control that holds the longest text (the icon is a
// static control too, without text).
std::string BoxText(HWND box) {
    std::string best;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0) continue;
        char text[4096] = {};
        GetWindowTextA(child, text, sizeof text);
        if (std::strlen(text) > best.size()) best = text;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: box_answerer <log file> <answer>...\n");
        return 2;
    }
    FILE* log = std::fopen(argv[1], "ab");
    if (!log) {
        std::fprintf(stderr, "box_answerer: cannot open %s\n", argv[1]);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        std::string answer = argv[i];
        std::string signal;
        if (answer.find('+') != std::string::npos) {
            signal = answer.substr(answer.find('+') + 1);
            answer.resize(answer.find('+'));
        }
        int button = ButtonFor(answer.c_str());
        if (!button) {
            std::fprintf(stderr, "box_answerer: unknown answer %s\n", argv[i]);
            std::fclose(log);
            return 2;
        }
        HWND box = WaitForBox(kWaitMs);
        if (!box) {
            std::fprintf(log, "TIMEOUT waiting for box %d\n", i - 1);
            std::fclose(log);
            return 1;
        }
        Sleep(100);  // let the box finish laying out its text
        char caption[512] = {};
        GetWindowTextA(box, caption, sizeof caption);
        std::string text = BoxText(box);
        std::fprintf(log, "BOX caption=%s text=%s answer=%s\n", vmxtest::Escaped(caption).c_str(),
                     vmxtest::Escaped(text).c_str(), answer.c_str());
        std::fflush(log);
        if (!signal.empty()) {
            HANDLE file = CreateFileA(signal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            Sleep(2000);
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        DWORD start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start < 10000) Sleep(50);
    }
    std::fclose(log);
    return 0;
}
