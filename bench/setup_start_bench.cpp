// The setup program from its start to its start confirmation box, which the user waits
// for after the elevation prompt: the single setup file, which first unpacks and checks
// its payload and then starts the plain program, against vmxinst64.exe of the unpacked
// package, in the same run. Each box is answered Cancel, which changes nothing, and the
// program's end is awaited before the next.
#include <cstdio>
#include <string>

#include "benches.h"

#include <tlhelp32.h>

namespace bench {
namespace {

const int kSamples = 11;

struct BoxSearch {
    DWORD process;
    HWND found;
};

// The started program, or a program it started: the single setup file's boxes are those of
// the setup program that it unpacked and started.
bool StartedBy(DWORD started, DWORD owner) {
    if (owner == started) return true;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool child = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !child;
         more = Process32Next(snapshot, &entry))
        child = entry.th32ProcessID == owner && entry.th32ParentProcessID == started;
    CloseHandle(snapshot);
    return child;
}

BOOL CALLBACK FindBoxOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window) || !StartedBy(search->process, owner))
        return TRUE;
    search->found = window;
    return FALSE;
}

// One start of the program in its folder; the seconds until its first box is on screen.
// Cancel ends the program that shows it, and the single setup file with it.
double StartUntilBox(const std::string& folder, const std::string& program) {
    std::string line = "\"" + folder + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    Stopwatch watch;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        Fail("cannot start " + line);
    BoxSearch search = {process.dwProcessId, nullptr};
    double seconds = 0;
    for (;;) {
        EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            seconds = watch.Seconds();
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
            Fail(program + " ended without showing its start confirmation");
        if (watch.Seconds() > 60) Fail(program + " showed no box within 60 s");
    }
    PostMessageA(search.found, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        Fail(program + " did not end after Cancel");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return seconds;
}

std::string FileNameIn(const std::string& folder, const char* pattern) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) Fail(std::string("no ") + pattern + " in " + folder);
    FindClose(search);
    return found.cFileName;
}

}  // namespace

Figure SetupStartBench(const std::string& folder) {
    const std::string unpacked = folder + "setup-zip\\";
    const std::string single = folder + "setup-single\\";
    const std::string singleFile = FileNameIn(single, "VelluMax-*-setup-x64.exe");
    FileNameIn(unpacked, "vmxinst64.exe");
    // The first start of each pays for loading the system's DLLs from disk.
    StartUntilBox(unpacked, "vmxinst64.exe");
    StartUntilBox(single, singleFile);

    std::vector<double> t = MedianSeconds(
        kSamples, {[&] { return StartUntilBox(single, singleFile); },
                   [&] { return StartUntilBox(unpacked, "vmxinst64.exe"); }});

    PrintTitle("6. From the start of the setup program to its start confirmation box");
    std::printf("  median of %d samples; each box answered Cancel, the program's end awaited\n",
                kSamples);
    PrintRows({{singleFile + " (unpacks and checks its payload)", t[0]},
               {"vmxinst64.exe of the unpacked package", t[1]}},
              1, "ms");
    return {"6 start to confirmation, single file against the unpacked package", t[0], t[1], "ms", 0};
}

}  // namespace bench
