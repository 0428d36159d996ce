#include "scripted_user.h"

#include <cstdio>

#include "desktop_user.h"
#include "test_files.h"
#include "windows64.h"

namespace flowtest {

namespace {

Script* g_script = nullptr;
bool g_lastPollTimedOut = false;

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

std::string Argument(const char* text) {
    return text ? vmxtest::Escaped(text) : "-";
}

int WINAPI AnswerBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    std::string line = BoxLine(style, caption ? caption : "<null>", text ? text : "<null>");
    if (owner) line += " owner!";
    g_script->calls.push_back(line);
    if (g_script->atBox) g_script->atBox(text ? text : "");
    if (g_script->answers.empty()) return 0;
    int answer = g_script->answers.front();
    g_script->answers.pop_front();
    return answer;
}

void WINAPI Pause(DWORD ms) {
    if (ms == 100 && g_lastPollTimedOut) {
        g_lastPollTimedOut = false;
        ++g_script->pollPauses;
        ::Sleep(ms);  // the installer runs for real; give it its time
        return;
    }
    g_script->calls.push_back("sleep " + std::to_string(ms));
}

LONG WINAPI Flush(HKEY key) {
    const char* name = key == HKEY_CLASSES_ROOT    ? "HKCR"
                       : key == HKEY_LOCAL_MACHINE ? "HKLM"
                       : key == HKEY_CURRENT_USER  ? "HKCU"
                                                   : "other";
    g_script->calls.push_back(std::string("flush ") + name);
    return ERROR_SUCCESS;
}

HINSTANCE WINAPI Open(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show) {
    std::string line = "open verb=" + Argument(verb) + " file=" + Argument(file) +
                       " params=" + Argument(params) + " dir=" + Argument(dir) +
                       " show=" + std::to_string(show);
    if (owner) line += " owner!";
    g_script->calls.push_back(line);
    if (g_script->atOpen) g_script->atOpen();
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));  // success
}

DWORD Elevation() {
    return g_script->elevation;
}

BOOL OpenAsUser(const char* file) {
    g_script->calls.push_back("open as user file=" + Argument(file));
    if (g_script->atOpen) g_script->atOpen();
    return g_script->desktopOpens;
}

USHORT Machine() {
    return g_script->nativeMachine ? g_script->nativeMachine : QueryNativeMachine();
}

BOOL SafeMode() {
    return g_script->safeMode;
}

DWORD AsDesktopUser(const char* commandLine) {
    g_script->menuCalls.push_back("as the desktop's user: " + Argument(commandLine));
    return g_script->scriptDesktopUser ? g_script->desktopUserExit : RunAsDesktopUser(commandLine);
}

HRESULT RemoveMenu(bool allUsers) {
    g_script->menuCalls.push_back(allUsers ? "remove the package for all users"
                                           : "remove the package for this user");
    return g_script->menuRemoval;
}

BOOL WINAPI Restart(UINT flags, DWORD reason) {
    g_script->calls.push_back("restart flags=" + Hex(flags) + " reason=" + Hex(reason));
    return g_script->restartResult;
}

DWORD WINAPI Poll(HANDLE handle, DWORD ms) {
    if (ms != 0) g_script->calls.push_back("wait of " + std::to_string(ms) + " ms");
    if (g_lastPollTimedOut) g_script->calls.push_back("poll without a pause");
    DWORD result = ::WaitForSingleObject(handle, ms);
    if (result == WAIT_TIMEOUT) {
        ++g_script->pollsTimedOut;
        g_lastPollTimedOut = true;
    } else {
        g_lastPollTimedOut = false;
        g_script->calls.push_back(result == WAIT_OBJECT_0 ? "installer ended"
                                                          : "poll result " + Hex(result));
    }
    return result;
}

}  // namespace

std::string BoxLine(UINT style, const std::string& caption, const std::string& text) {
    return "box style=" + Hex(style) + " caption=" + vmxtest::Escaped(caption) +
           " text=" + vmxtest::Escaped(text);
}

ScopedScript::ScopedScript(Script& script) : saved_(SystemCalls), previous_(g_script) {
    g_script = &script;
    g_lastPollTimedOut = false;
    SystemCalls.MessageBoxA = &AnswerBox;
    SystemCalls.Sleep = &Pause;
    SystemCalls.RegFlushKey = &Flush;
    SystemCalls.ShellExecuteA = &Open;
    SystemCalls.ExitWindowsEx = &Restart;
    SystemCalls.WaitForSingleObject = &Poll;
    SystemCalls.ElevationType = &Elevation;
    SystemCalls.OpenThroughDesktopShell = &OpenAsUser;
    SystemCalls.NativeMachine = &Machine;
    SystemCalls.SafeMode = &SafeMode;
    SystemCalls.RunAsDesktopUser = &AsDesktopUser;
    SystemCalls.RemoveMenuPackage = &RemoveMenu;
}

ScopedScript::~ScopedScript() {
    SystemCalls = saved_;
    g_script = previous_;
}

}  // namespace flowtest
