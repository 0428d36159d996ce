// The user's side of the flows and the calls that must not happen for real under test: the
// message boxes are answered from a script, the fixed pauses, flushes, readme opening and
// restart request are written down instead of done, and the INF installer's polls go to
// the real wait but are counted. Every call becomes one line of text, in order, so that a
// test can compare the whole conversation at once.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "system_calls.h"

namespace flowtest {

// Lines, one per call (bytes shown with vmxtest::Escaped):
//   box style=0x41 caption=<bytes> text=<bytes>           ("owner!" appended if it had one)
//   sleep 3000
//   flush HKCR | flush HKLM | flush HKCU | flush other
//   installer ended                                        (the first poll that did not time out)
//   open verb=- file=<bytes> params=- dir=- show=1         ("-" for a null argument)
//   restart flags=0x2 reason=0x0
//   open as user file=<bytes>                              (through the desktop's shell)
// A 100 ms pause right after a poll that timed out is a poll pause: counted, not written.
struct Script {
    std::deque<int> answers;  // box results, in order; 0 when none is left
    std::function<void(const std::string& text)> atBox;  // runs before a box is answered
    std::function<void()> atOpen;                        // runs when the readme is opened
    BOOL restartResult = TRUE;                           // what the restart request returns
    DWORD elevation = TokenElevationTypeDefault;         // the token's elevation type
    BOOL desktopOpens = TRUE;                            // the desktop shell's answer
    USHORT nativeMachine = 0;                            // the machine; 0: the real one
    // Windows 11's package registration: safe mode, and the exit code of a program run as
    // the desktop's user (unset: the real call); what ran as that user and the package
    // removals asked for ("all users" or "this user") go into menuCalls, not calls.
    BOOL safeMode = FALSE;
    bool scriptDesktopUser = false;
    DWORD desktopUserExit = 0;
    HRESULT menuRemoval = E_NOTIMPL;
    std::vector<std::string> menuCalls;

    std::vector<std::string> calls;
    int pollsTimedOut = 0;
    int pollPauses = 0;
};

// Puts the script into the setup program's system-call table for its lifetime.
class ScopedScript {
public:
    explicit ScopedScript(Script& script);
    ~ScopedScript();
    ScopedScript(const ScopedScript&) = delete;
    ScopedScript& operator=(const ScopedScript&) = delete;

private:
    SetupSystemCalls saved_;
    Script* previous_;
};

// The line that a box makes, for expectations.
std::string BoxLine(UINT style, const std::string& caption, const std::string& text);

}  // namespace flowtest
