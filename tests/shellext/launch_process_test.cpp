// The viewer started for real by the built DLL. A copy of vmxtool.dll lies in a folder
// beside a program that records how it was started, copied there as vmxtool.exe; the test
// loads the copy, makes a handler through its exported DllGetClassObject, hands it a real
// CF_HDROP selection, chooses the command, and reads what the program recorded.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "hdrop_data_object.h"
#include "launch_fixture.h"
#include "shell_ext_clsid.h"

namespace launchtest {
namespace {

using vmxtest::ComHold;
using vmxtest::Escaped;
using vmxtest::FileExists;
using vmxtest::ReadFileBytes;

// Wine shows the Unix root as drive Z:.
std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

class ViewerProcessTest : public ::testing::Test {
protected:
    ViewerProcessTest() {
        copied_ =
            CopyFileA(WindowsPath(VMX_VIEWER_STAND_IN_FILE).c_str(), viewer_.c_str(), FALSE) &&
            CopyFileA(WindowsPath(VMX_DLL_FILE).c_str(), dllCopy_.c_str(), FALSE);
        if (copied_) {
            dll_ = LoadLibraryA(dllCopy_.c_str());
            loadError_ = GetLastError();
        }
    }

    // Runs before the folders go: the DLL must be unloaded for its file to be deleted.
    ~ViewerProcessTest() override {
        if (dll_) FreeLibrary(dll_);
        // The program may still be ending after writing its last file; its file can go
        // once it has.
        for (int i = 0; i < 400 && FileExists(viewer_) && !DeleteFileA(viewer_.c_str()); ++i)
            Sleep(50);
    }

    // A handler of the DLL copy holding `paths`, as the shell would make it.
    void MakeHandler(const std::vector<std::string>& paths, ComHold<IContextMenu>& menu) {
        ComHold<vmxtest::HDropDataObject> data(vmxtest::HDropDataObject::Create(paths));
        MakeHandler(data.Get(), menu);
    }

    void MakeHandler(IDataObject* data, ComHold<IContextMenu>& menu) {
        ASSERT_TRUE(copied_) << "cannot copy the built files into " << folder_.Path();
        ASSERT_NE(nullptr, dll_) << "cannot load " << dllCopy_ << ": error " << loadError_;
        auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllGetClassObject")));
        ASSERT_NE(nullptr, getClassObject) << "DllGetClassObject is not exported";
        ComHold<IClassFactory> factory;
        ASSERT_EQ(S_OK, getClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                                       reinterpret_cast<void**>(factory.Put())));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu,
                                                reinterpret_cast<void**>(menu.Put())));
        ComHold<IShellExtInit> init;
        ASSERT_EQ(S_OK,
                  menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())));
        ASSERT_EQ(S_OK, init->Initialize(nullptr, data, nullptr));
    }

    static HRESULT ChooseCommand(IContextMenu* menu, int show) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(0);
        info.nShow = show;
        return menu->InvokeCommand(&info);
    }

    // The program ends within moments; the bound only keeps a lost start from hanging the run.
    bool ViewerReported() const {
        for (int i = 0; i < 400; ++i) {
            if (FileExists(folder_.File("done"))) return true;
            Sleep(50);
        }
        return false;
    }

    // Closes the viewer that this test started and no other: the tests that share the
    // display run side by side, each with a viewer window of the same class.
    void CloseOwnViewer() const {
        std::pair<std::string, std::vector<HWND>> search{viewer_, {}};
        EnumWindows(CollectOwnViewer, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.second) PostMessageA(window, WM_CLOSE, 0, 0);
    }

    static BOOL CALLBACK CollectOwnViewer(HWND window, LPARAM context) {
        auto* search = reinterpret_cast<std::pair<std::string, std::vector<HWND>>*>(context);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (process == nullptr) return TRUE;
        char image[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (lstrcmpA(name, "VelluMaxViewerItems") == 0 &&
            QueryFullProcessImageNameA(process, 0, image, &length) &&
            lstrcmpiA(image, search->first.c_str()) == 0)
            search->second.push_back(window);
        CloseHandle(process);
        return TRUE;
    }

    vmxtest::TempFolder folder_{"vmxviewer"};
    vmxtest::TempFolder lists_{"vmxlists"};
    ScopedEnvironmentVariable tmp_{"TMP", lists_.Path()};
    std::string viewer_ = folder_.File("vmxtool.exe");
    std::string dllCopy_ = folder_.File("vmxtool.dll");
    bool copied_ = false;
    HMODULE dll_ = nullptr;
    DWORD loadError_ = 0;
};

TEST_F(ViewerProcessTest, SeveralPathsReachTheViewerThroughTheListFile) {
    {
        ComHold<IContextMenu> menu;
        MakeHandler({"C:\\Mes documents\\\xE9t\xE9.txt", "C:\\b c.txt"}, menu);
        if (HasFatalFailure()) return;
        // The request asks for a hidden window; the viewer is shown all the same.
        EXPECT_EQ(S_OK, ChooseCommand(menu.Get(), SW_HIDE));
    }
    ASSERT_TRUE(ViewerReported()) << "no viewer reported within 20 s in " << folder_.Path();

    std::vector<std::string> lists = vmxtest::FolderEntries(lists_.Path());
    ASSERT_EQ(1u, lists.size()) << "files in the temporary folder";
    std::string listFile = lists_.File(lists[0]);
    EXPECT_EQ("ok", ReadFileBytes(folder_.File("done"))) << "the program could not record";
    EXPECT_EQ(Escaped("\"" + viewer_ + "\" \"C:\\b c.txt\" /f \"" + listFile + "\""),
              Escaped(ReadFileBytes(folder_.File("command-line.txt"))));
    EXPECT_EQ("5", ReadFileBytes(folder_.File("show.txt"))) << "show command (SW_SHOW is 5)";
    EXPECT_EQ(Escaped("2\r\nC:\\Mes documents\\\xE9t\xE9.txt\r\nC:\\b c.txt\r\n"),
              Escaped(ReadFileBytes(folder_.File("list.bin"))));
}

TEST_F(ViewerProcessTest, OnePathReachesTheViewerOnItsCommandLine) {
    {
        ComHold<IContextMenu> menu;
        MakeHandler({"C:\\x\\y.txt"}, menu);
        if (HasFatalFailure()) return;
        EXPECT_EQ(S_OK, ChooseCommand(menu.Get(), SW_SHOWMINNOACTIVE));
    }
    ASSERT_TRUE(ViewerReported()) << "no viewer reported within 20 s in " << folder_.Path();

    EXPECT_EQ("ok", ReadFileBytes(folder_.File("done"))) << "the program could not record";
    EXPECT_EQ(Escaped("\"" + viewer_ + "\" \"C:\\x\\y.txt\""),
              Escaped(ReadFileBytes(folder_.File("command-line.txt"))));
    EXPECT_EQ("5", ReadFileBytes(folder_.File("show.txt"))) << "show command (SW_SHOW is 5)";
    EXPECT_FALSE(FileExists(folder_.File("list.bin"))) << "the viewer was given a list file";
    EXPECT_TRUE(vmxtest::FolderEntries(lists_.Path()).empty())
        << "a list file was written for one path";
}

// Names outside the code page of the one system or the other, selected through a Unicode
// drop list and chosen: the real viewer, started by the built DLL, finds each file by the
// path it was given and shows it by its own name (it traces the names in UTF-8).
TEST_F(ViewerProcessTest, TheRealViewerShowsEverySelectedNameAsItIs) {
    ASSERT_TRUE(CopyFileA(WindowsPath(VMX_VIEWER_FILE).c_str(), viewer_.c_str(), FALSE));
    vmxtest::TempFolder files("vmx real names");
    std::vector<std::wstring> paths;
    std::string expected;
    for (const wchar_t* name : {L"\x65E5\x672C\x8A9E.txt", L"\x041C\x0438\x0440.txt",
                                L"\xD83D\xDE00.txt", L"caf\x00E9.txt"}) {
        paths.push_back(std::wstring(files.Path().begin(), files.Path().end()) + L"\\" + name);
        CloseHandle(CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        char utf8[MAX_PATH * 3] = {};
        WideCharToMultiByte(CP_UTF8, 0, paths.back().c_str(), -1, utf8, sizeof utf8, nullptr,
                            nullptr);
        expected += "shown: " + std::string(utf8) + "\r\n";
    }
    const std::string trace = lists_.File("trace.txt");
    ScopedEnvironmentVariable traced("VMXTOOL_TRACE", trace);
    {
        ComHold<IContextMenu> menu;
        ComHold<vmxtest::HDropDataObject> data(vmxtest::HDropDataObject::CreateWide(paths));
        MakeHandler(data.Get(), menu);
        if (HasFatalFailure()) return;
        EXPECT_EQ(S_OK, ChooseCommand(menu.Get(), SW_SHOW));
    }
    // The names are traced as the window's look-up finds them, up to its last line.
    std::string shown;
    for (int i = 0; i < 400 && shown.size() < expected.size(); ++i, Sleep(50)) {
        std::string bytes = FileExists(trace) ? ReadFileBytes(trace) : "";
        size_t first = std::min(bytes.size(), bytes.find("shown: "));
        shown = bytes.substr(first, bytes.find("looked up: ", first) - first);
    }
    CloseOwnViewer();
    EXPECT_EQ(Escaped(expected), Escaped(shown));
}

// A temporary folder named outside the code page: a Cyrillic name on a French system, one
// with accents on a Japanese one. GetTempPathA gives '?' or best-fit letters there, which
// name no folder; the list goes to the folder's short form, and the real viewer reads it
// from there and deletes it.
TEST_F(ViewerProcessTest, AListReachesTheViewerFromATemporaryFolderNamedOutsideTheCodePage) {
    ASSERT_TRUE(CopyFileA(WindowsPath(VMX_VIEWER_FILE).c_str(), viewer_.c_str(), FALSE));
    std::wstring folder(lists_.Path().begin(), lists_.Path().end());
    folder += L"\\Temp \x0418\x0432\x0430\x043D \x00E9t\x00E9";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ScopedEnvironmentVariable tmp(L"TMP", folder);
    ScopedEnvironmentVariable temp(L"TEMP", folder);
    char ansi[MAX_PATH + 1] = {};
    ASSERT_NE(0u, GetTempPathA(sizeof ansi, ansi));
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ansi))
        << "the code page holds the folder's name (" << ansi << "): nothing would go wrong";
    wchar_t shortWide[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(folder.c_str(), shortWide, MAX_PATH));
    char shortFolder[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, shortWide, -1, shortFolder, MAX_PATH, nullptr, nullptr);

    const std::string trace = folder_.File("trace.txt");
    ScopedEnvironmentVariable traced("VMXTOOL_TRACE", trace);
    const std::string a = folder_.File("a.txt"), b = folder_.File("b.txt");
    {
        ComHold<IContextMenu> menu;
        MakeHandler({a, b}, menu);
        if (HasFatalFailure()) return;
        EXPECT_EQ(S_OK, ChooseCommand(menu.Get(), SW_SHOW));
    }
    std::string bytes;
    for (int i = 0; i < 400 && bytes.find("deleted: ") == std::string::npos; ++i, Sleep(50))
        bytes = FileExists(trace) ? ReadFileBytes(trace) : "";
    CloseOwnViewer();

    ASSERT_NE(std::string::npos, bytes.find("deleted: "))
        << "no viewer read a list: " << Escaped(bytes);
    EXPECT_NE(std::string::npos, bytes.find(std::string(" /f \"") + shortFolder + "\\VM"))
        << "the list is not named in the folder's short form " << shortFolder << ": "
        << Escaped(bytes);
    EXPECT_NE(std::string::npos,
              bytes.find("count: 2\r\nitem: " + a + "\r\nitem: " + b + "\r\ndeleted: yes\r\n"))
        << Escaped(bytes);
    WIN32_FIND_DATAW entry;
    HANDLE left = FindFirstFileW((folder + L"\\*.tmp").c_str(), &entry);
    EXPECT_EQ(INVALID_HANDLE_VALUE, left) << "a list file was left in the temporary folder";
    if (left != INVALID_HANDLE_VALUE) FindClose(left);
}

}  // namespace
}  // namespace launchtest
