// InvokeCommand with 8192 paths writes the list file and would start the viewer (scripted
// away here). Baselines: the same bytes in one WriteFile into a file already open, and the
// file work the launch cannot avoid (a temporary name, an open, one write, a close), also
// with the attributes set by name as the handler must do where an overwrite keeps the old
// ones. The steps are also timed one at a time, to show where the time goes.
#include <cstdio>
#include <string>

#include "bench_selection.h"
#include "benches.h"
#include "system_calls.h"

namespace bench {
namespace {

const int kSamples = 31;
const int kPaths = 8192;
const DWORD kListAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY;
// The size of the blocks the handler hands to WriteFile.
const size_t kHandlerBlock = 65536;

std::string lastCommandLine;

UINT WINAPI NoViewer(LPCSTR commandLine, UINT) {
    lastCommandLine = commandLine;
    return 33;
}

BOOL WINAPI AcceptWithoutWriting(HANDLE, LPCVOID, DWORD length, LPDWORD written, LPOVERLAPPED) {
    *written = length;
    return TRUE;
}

std::string ListFileNamedIn(const std::string& commandLine) {
    const std::string key = "\" /f \"";
    size_t at = commandLine.find(key);
    if (at == std::string::npos || commandLine.back() != '"') return "";
    return commandLine.substr(at + key.size(), commandLine.size() - at - key.size() - 1);
}

void DeleteListFile(const std::string& name) {
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(name.c_str());
}

std::string ReadWhole(const std::string& name) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// The launch's file work, step by step, in its order. A temporary name is always taken.
enum Step : unsigned {
    kName = 1,
    kOpen = 2,
    kWrite = 4,
    kBlocks = 8,
    kClose = 16,
    kAttributes = 32
};

class FileWork {
public:
    explicit FileWork(const std::string& list) : list_(list) {
        DWORD n = GetTempPathA(MAX_PATH, folder_);
        if (n == 0 || n > MAX_PATH) Fail("no temporary folder");
    }

    // Does `steps` and returns the time of those among them in `timed`; deleting the file
    // afterwards is not timed.
    double Time(unsigned steps, unsigned timed) const {
        double seconds = 0;
        char name[MAX_PATH];
        HANDLE file = INVALID_HANDLE_VALUE;
        auto step = [&](Step s, auto work) {
            if (!(steps & s)) return;
            Stopwatch watch;
            work();
            if (timed & s) seconds += watch.Seconds();
        };
        step(kName, [&] {
            if (GetTempFileNameA(folder_, "VB", 0, name) == 0) Fail("no temporary file name");
        });
        step(kOpen, [&] {
            file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, kListAttributes,
                               nullptr);
        });
        if ((steps & kOpen) && file == INVALID_HANDLE_VALUE)
            Fail(std::string("cannot open ") + name);
        step(kWrite, [&] { Write(file, list_.size()); });
        step(kBlocks, [&] { Write(file, kHandlerBlock); });
        step(kClose, [&] { CloseHandle(file); });
        step(kAttributes, [&] { SetFileAttributesA(name, kListAttributes); });
        DeleteListFile(name);
        return seconds;
    }

private:
    void Write(HANDLE file, size_t block) const {
        for (size_t at = 0; at < list_.size(); at += block) {
            DWORD n = static_cast<DWORD>(list_.size() - at < block ? list_.size() - at : block);
            DWORD written = 0;
            WriteFile(file, list_.data() + at, n, &written, nullptr);
        }
    }

    const std::string& list_;
    char folder_[MAX_PATH + 1];
};

}  // namespace

std::vector<Figure> LaunchBench() {
    std::vector<std::string> paths = OrdinaryPaths(kPaths);
    std::string list = std::to_string(kPaths) + "\r\n";
    for (const std::string& path : paths) list += path + "\r\n";

    DropBlock block(paths);
    FixedDropData data(block.Handle());
    IContextMenu* handler = NewLinkedHandler();
    IShellExtInit* init = nullptr;
    handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init));
    if (!init || init->Initialize(nullptr, &data, nullptr) != S_OK) Fail("Initialize failed");
    init->Release();

    SystemCalls.WinExec = &NoViewer;
    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof invoke;
    invoke.lpVerb = MAKEINTRESOURCEA(0);
    invoke.nShow = SW_SHOW;

    // The list must come out whole and hidden, or the figure is of something else.
    {
        lastCommandLine.clear();
        handler->InvokeCommand(&invoke);
        std::string name = ListFileNamedIn(lastCommandLine);
        if (name.empty()) Fail("InvokeCommand started no list form: \"" + lastCommandLine + "\"");
        std::string got = ReadWhole(name);
        DWORD attributes = GetFileAttributesA(name.c_str());
        DeleteListFile(name);
        if (got != list)
            Fail("the list file holds " + std::to_string(got.size()) + " bytes, not the " +
                 std::to_string(list.size()) + " expected");
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_HIDDEN))
            Fail("the list file is not hidden");
    }

    auto invokeArm = [&](bool writes) -> Arm {
        return [&, writes] {
            lastCommandLine.clear();
            if (!writes) SystemCalls.WriteFile = &AcceptWithoutWriting;
            Stopwatch watch;
            handler->InvokeCommand(&invoke);
            double seconds = watch.Seconds();
            SystemCalls.WriteFile = &::WriteFile;
            DeleteListFile(ListFileNamedIn(lastCommandLine));
            return seconds;
        };
    };
    FileWork work(list);
    auto fileArm = [&](unsigned steps, unsigned timed) -> Arm {
        return [&work, steps, timed] { return work.Time(steps, timed); };
    };
    const unsigned baselineB = kName | kOpen | kWrite | kClose;
    const unsigned launchFixed = kName | kOpen | kClose | kAttributes;
    std::vector<double> t = MedianSeconds(
        kSamples, {invokeArm(true), fileArm(baselineB, kWrite), fileArm(baselineB, baselineB),
                   fileArm(kName, kName), fileArm(kName | kOpen | kClose, kOpen),
                   fileArm(kName | kOpen | kBlocks | kClose, kBlocks), fileArm(baselineB, kClose),
                   fileArm(baselineB | kAttributes, kAttributes), invokeArm(false),
                   fileArm(launchFixed, launchFixed),
                   fileArm(baselineB | kAttributes, baselineB | kAttributes)});
    SystemCalls.WinExec = &::WinExec;
    handler->Release();

    PrintTitle("3. InvokeCommand, 8192 paths, list file of " + std::to_string(list.size()) +
               " bytes (viewer start scripted away)");
    std::printf("  median of %d samples; deleting the files stays outside the times\n", kSamples);
    PrintRows({{"handler's InvokeCommand", t[0]},
               {"baseline A: one WriteFile into a file already open", t[1]},
               {"baseline B: GetTempFileNameA + CreateFileA + 1 WriteFile + Close", t[2]},
               {"baseline C: B + SetFileAttributesA by name", t[10]}},
              2, "ms");
    std::printf("  where the time goes, one step at a time (ratio to baseline B):\n");
    PrintRows({{"GetTempFileNameA (creates the empty file)", t[3]},
               {"CreateFileA over it, CREATE_ALWAYS, hidden + temporary", t[4]},
               {"one WriteFile of all bytes (baseline A)", t[1]},
               {"the same bytes in 64 KB WriteFile calls, as the handler writes", t[5]},
               {"CloseHandle after the write", t[6]},
               {"SetFileAttributesA by name, hidden + temporary", t[7]},
               {"InvokeCommand with WriteFile taking the bytes unwritten", t[8]},
               {"its file work alone: temp name, open, close, attributes", t[9]},
               {"so the handler's buffering and copying (difference)", t[8] - t[9]},
               {"baseline B", t[2]}},
              9, "ms");
    return {{"3 InvokeCommand, 8192 paths / A: one WriteFile", t[0], t[1], "ms", 0},
            {"3 InvokeCommand, 8192 paths / B: same file work", t[0], t[2], "ms", 2.0},
            {"3 InvokeCommand, 8192 paths / C: B + attributes", t[0], t[10], "ms", 0}};
}

}  // namespace bench
