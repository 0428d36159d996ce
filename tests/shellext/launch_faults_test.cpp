// The launch when the system lets it down: no usable temporary folder, a list file that
// cannot be opened, a write that fails or comes up short, a module path that cannot be
// read. Each case must still answer S_OK and must neither start the viewer on a wrong
// program nor leave a list file that says something false.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launch_fixture.h"
#include "viewer_launch.h"

namespace launchtest {
namespace {

using vmxtest::Escaped;
using vmxtest::ReadFileBytes;
using vmxtest::ScopedOverride;

// ---- No usable temporary folder ----

TEST_F(LaunchTest, TemporaryFolderThatDoesNotExistStopsTheLaunch) {
    std::string missing = temp_.File("gone");
    ScopedEnvironmentVariable tmp("TMP", missing);
    Selection two({"C:\\a.txt", "C:\\b.txt"});
    EXPECT_EQ(S_OK, LaunchViewer(two.LastPath(), two.Paths(), two.Count()));
    EXPECT_TRUE(viewer_.Starts().empty()) << "viewer started: " << viewer_.Starts()[0].commandLine;
    EXPECT_FALSE(vmxtest::DirectoryExists(missing)) << missing << " was created";
    EXPECT_TRUE(TempFiles().empty()) << "file written beside the missing folder";
}

TEST_F(LaunchTest, TemporaryFolderNameLongerThanAPathStopsTheLaunch) {
    // Of this name only the first 260 characters would fit; they name a folder that exists,
    // so a launch that used a cut-short name would write its list there.
    std::string tooLong = temp_.Path() + "\\" + std::string(300 - temp_.Path().size(), 'l');
    ScopedEnvironmentVariable tmp("TMP", tooLong);
    Selection two({"C:\\a.txt", "C:\\b.txt"});
    EXPECT_EQ(S_OK, LaunchViewer(two.LastPath(), two.Paths(), two.Count()));
    EXPECT_TRUE(viewer_.Starts().empty()) << "viewer started: " << viewer_.Starts()[0].commandLine;
    EXPECT_TRUE(TempFiles().empty()) << "a file was written: " << TempFiles()[0];
}

// ---- The list file cannot be opened ----

HANDLE WINAPI RefuseToOpen(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
}

int writesSeen = 0;

BOOL WINAPI CountWrites(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD written,
                        LPOVERLAPPED overlapped) {
    ++writesSeen;
    return ::WriteFile(file, bytes, length, written, overlapped);
}

TEST_F(LaunchTest, ListFileThatCannotBeOpenedIsLeftEmptyAndTheViewerStillStarts) {
    ScopedOverride refuse(SystemCalls.CreateFileA, &RefuseToOpen);
    writesSeen = 0;
    ScopedOverride count(SystemCalls.WriteFile, &CountWrites);
    Selection two({"C:\\a.txt", "C:\\b.txt"});
    EXPECT_EQ(S_OK, LaunchViewer(two.LastPath(), two.Paths(), two.Count()));

    EXPECT_EQ(0, writesSeen) << "writes without an open file";
    ASSERT_EQ(1u, viewer_.Starts().size()) << "viewer starts";
    std::string listFile = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    ASSERT_FALSE(listFile.empty()) << "not the list form: " << viewer_.Starts()[0].commandLine;
    EXPECT_EQ(ListLine(ViewerBesideProgram(), "C:\\b.txt", listFile),
              viewer_.Starts()[0].commandLine);
    EXPECT_EQ("", Escaped(ReadFileBytes(listFile))) << "the empty file the name was taken with";
}

// ---- A write fails or comes up short ----

// Lets the first calls through to the real WriteFile and spoils one: it either fails
// having written nothing, or writes half of what it was given and says so. Every byte that
// reaches the file is kept, so the test knows exactly what the file must hold.
struct WriteScript {
    int spoiledCall = 0;
    bool shortInsteadOfFailing = false;
    int calls = 0;
    std::string reachedFile;
};
WriteScript script;

BOOL WINAPI SpoilOneWrite(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD written,
                          LPOVERLAPPED overlapped) {
    ++script.calls;
    if (script.calls == script.spoiledCall) {
        if (!script.shortInsteadOfFailing) {
            *written = 0;
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        length /= 2;
    }
    BOOL ok = ::WriteFile(file, bytes, length, written, overlapped);
    if (ok) script.reachedFile.append(static_cast<const char*>(bytes), *written);
    return ok;
}

TEST_F(LaunchTest, WriteThatFailsOrComesUpShortEndsTheListThereWithTheCountLineIntact) {
    std::vector<std::string> paths = RealisticPaths(8192);
    std::string complete = ExpectedListBytes(paths);
    Selection selection(paths);
    struct Case {
        int spoiledCall;
        bool shortWrite;
    };
    for (Case c : {Case{2, false}, Case{3, true}, Case{1, true}}) {
        SCOPED_TRACE("write call " + std::to_string(c.spoiledCall) +
                     (c.shortWrite ? " comes up short" : " fails"));
        script = WriteScript{c.spoiledCall, c.shortWrite, 0, {}};
        size_t startsBefore = viewer_.Starts().size();
        {
            ScopedOverride spoil(SystemCalls.WriteFile, &SpoilOneWrite);
            EXPECT_EQ(S_OK,
                      LaunchViewer(selection.LastPath(), selection.Paths(), selection.Count()));
        }
        EXPECT_EQ(c.spoiledCall, script.calls) << "write calls: none may follow the spoiled one";
        ASSERT_EQ(startsBefore + 1, viewer_.Starts().size()) << "the viewer must still start";
        std::string listFile = ListFileNamedIn(viewer_.Starts().back().commandLine);
        ASSERT_FALSE(listFile.empty()) << viewer_.Starts().back().commandLine;
        std::string got = ReadFileBytes(listFile);
        EXPECT_EQ(script.reachedFile.size(), got.size()) << "bytes in the list file";
        EXPECT_TRUE(got == script.reachedFile) << "the file does not hold what was written";
        EXPECT_EQ(0u, complete.rfind(got, 0))
            << "the file is not the start of the complete list; it begins \""
            << Escaped(got.substr(0, 40)) << "\"";
        EXPECT_LT(got.size(), complete.size());
        if (c.spoiledCall > 1) {
            EXPECT_EQ(0u, got.rfind("8192\r\n", 0))
                << "count line: \"" << Escaped(got.substr(0, 8)) << "\"";
        }
    }
}

// ---- The module's own path ----

struct ModulePathScript {
    DWORD answer = 0;
    std::string path;
    HMODULE askedFor = nullptr;
};
ModulePathScript modulePath;

DWORD WINAPI ScriptedModuleFileName(HMODULE module, LPSTR buffer, DWORD size) {
    modulePath.askedFor = module;
    std::string path = modulePath.path.substr(0, size);
    std::memcpy(buffer, path.c_str(), path.size());
    if (path.size() < size) buffer[path.size()] = '\0';
    if (modulePath.answer == 0) SetLastError(ERROR_ACCESS_DENIED);
    if (modulePath.answer == size) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return modulePath.answer;
}

TEST_F(LaunchTest, ViewerIsLookedForBesideTheModuleThatHoldsTheCode) {
    modulePath = {};
    modulePath.path = "C:\\Program Files\\VelluMax 1.0\\Shellext\\vmxtool.dll";
    modulePath.answer = static_cast<DWORD>(modulePath.path.size());
    ScopedOverride script(SystemCalls.GetModuleFileNameA, &ScriptedModuleFileName);
    Selection one({"C:\\x\\y.txt"});
    LaunchViewer(one.LastPath(), one.Paths(), one.Count());

    ASSERT_EQ(1u, viewer_.Starts().size());
    EXPECT_EQ(OnePathLine("C:\\Program Files\\VelluMax 1.0\\Shellext\\vmxtool.exe", "C:\\x\\y.txt"),
              viewer_.Starts()[0].commandLine);
    // Linked into this program, the code's own module is the program.
    EXPECT_EQ(GetModuleHandleA(nullptr), modulePath.askedFor) << "module asked about";
}

TEST_F(LaunchTest, ModulePathThatCannotBeReadWhollyStartsNothing) {
    std::string cutShort = "C:\\Shellext\\" + std::string(300, 'd') + "\\vmxtool.dll";
    struct Case {
        const char* what;
        std::string path;
        DWORD answer;
    };
    for (const Case& c :
         {Case{"the call fails", "", 0}, Case{"the path fills the buffer", cutShort, MAX_PATH},
          Case{"the path has no folder", "vmxtool.dll", 11}}) {
        SCOPED_TRACE(c.what);
        modulePath = {};
        modulePath.path = c.path;
        modulePath.answer = c.answer;
        ScopedOverride script(SystemCalls.GetModuleFileNameA, &ScriptedModuleFileName);
        for (const std::vector<std::string>& paths :
             {std::vector<std::string>{"C:\\x\\y.txt"},
              std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}}) {
            Selection selection(paths);
            EXPECT_EQ(S_OK,
                      LaunchViewer(selection.LastPath(), selection.Paths(), selection.Count()));
        }
        EXPECT_TRUE(viewer_.Starts().empty())
            << "viewer started: " << viewer_.Starts()[0].commandLine;
        EXPECT_TRUE(TempFiles().empty()) << "a list file was written: " << TempFiles()[0];
    }
}

}  // namespace
}  // namespace launchtest
