// Started by the Windows 95 family tests as "vmxinst.exe", a name that Wine has been told
// is Windows 98: runs one flow of the setup program with the user's side scripted, and
// writes what the flow did into a log file, one call a line, then "exit <code>".
//
//   flow_child.exe <log file> install|uninstall [answer...]
//
// Answers, one per message box in turn: OK CANCEL YES NO RETRY. OK-REMOVING-INF deletes
// vmxtool.inf from the current folder while the box is open, then answers OK.
// REFUSE-RESTART (anywhere) makes the restart request fail. ELEVATED (anywhere) makes the
// token report full elevation. HOLD (anywhere) keeps the first box open, as a user who has
// not answered yet: the child writes <log file>.held and answers once <log file>.release
// exists (or after two minutes).
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "scripted_user.h"
#include "startup.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    flowtest::Script script;
    std::vector<bool> removeInfAt;
    bool hold = false;
    for (int i = 3; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "REFUSE-RESTART") {
            script.restartResult = FALSE;
            continue;
        }
        if (word == "HOLD") {
            hold = true;
            continue;
        }
        if (word == "ELEVATED") {
            script.elevation = TokenElevationTypeFull;
            continue;
        }
        int answer = word == "OK" || word == "OK-REMOVING-INF" ? IDOK
                     : word == "CANCEL"                        ? IDCANCEL
                     : word == "YES"                           ? IDYES
                     : word == "NO"                            ? IDNO
                     : word == "RETRY"                         ? IDRETRY
                                                               : 0;
        if (answer == 0) return 2;
        script.answers.push_back(answer);
        removeInfAt.push_back(word == "OK-REMOVING-INF");
    }
    size_t boxes = 0;
    const std::string held = std::string(argv[1]) + ".held";
    const std::string release = std::string(argv[1]) + ".release";
    script.atBox = [&](const std::string&) {
        if (boxes == 0 && hold) {
            CloseHandle(CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
            for (int i = 0; i < 1200 && GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
                ::Sleep(100);
        }
        if (boxes < removeInfAt.size() && removeInfAt[boxes]) DeleteFileA("vmxtool.inf");
        ++boxes;
    };

    const bool uninstall = std::strcmp(argv[2], "uninstall") == 0;
    int exitCode;
    {
        flowtest::ScopedScript scripted(script);
        exitCode = RunSetup(uninstall ? "vmxinst.exe /uninstall" : "vmxinst.exe");
    }

    std::string log;
    for (const std::string& call : script.calls) log += call + "\r\n";
    log += "polls " + std::to_string(script.pollsTimedOut) + " pauses " +
           std::to_string(script.pollPauses) + "\r\n";
    log += "exit " + std::to_string(exitCode) + "\r\n";
    HANDLE file = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
