// The built vmxmenu.dll starting the stand-in viewer for real, through COM as the surrogate
// serves Explorer: the same command line and list file as the classic item's.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "launch_fixture.h"
#include "menu_test_support.h"

namespace menutest {
namespace {

using launchtest::ExpectedListBytes;
using launchtest::ListFileNamedIn;
using vmxtest::ComHold;
using vmxtest::Escaped;

class ViewerStartTest : public BuiltMenuDll {
protected:
    std::wstring File(const std::wstring& name) {
        std::wstring path = Wide(files_.Path()) + L"\\" + name;
        CreateEmptyFile(path);
        return path;
    }

    vmxtest::TempFolder files_{"vmx menu files"};
    launchtest::ScopedEnvironmentVariable tmp_{"TMP", lists_.Path()};
};

TEST_F(ViewerStartTest, OneFileOnTheCommandLine) {
    std::wstring a = File(L"photo.jpg");
    {
        ComHold<IExplorerCommand> command;
        MakeCommand(command);
        if (HasFatalFailure()) return;
        ComHold<IShellItemArray> items(ItemsFromParsingNames({a}));
        EXPECT_EQ(S_OK, command->Invoke(items.Get(), nullptr));
    }
    ASSERT_TRUE(ViewerReported()) << "no viewer reported within 20 s in " << folder_.Path();
    EXPECT_EQ("ok", Recorded("done"));
    EXPECT_EQ(Escaped("\"" + viewer_ + "\" \"" + AnsiNameOf(a) + "\""),
              Escaped(Recorded("command-line.txt")));
    EXPECT_EQ("5", Recorded("show.txt")) << "show command (SW_SHOW is 5)";
    EXPECT_EQ("", Recorded("list.bin")) << "the viewer was given a list file";
    EXPECT_TRUE(vmxtest::FolderEntries(lists_.Path()).empty()) << "a list file for one item";
}

TEST_F(ViewerStartTest, TwoFilesAndNamesOutsideTheCodePageThroughTheListFile) {
    std::vector<std::wstring> paths = {File(L"\x00E9t\x00E9.txt"), File(L"\x65E5\x672C.txt"),
                                       File(L"b c.txt")};
    for (size_t count : {size_t(2), size_t(3)}) {
        SCOPED_TRACE(count);
        DeleteFileA(folder_.File("done").c_str());
        std::vector<std::wstring> selected(paths.begin(), paths.begin() + count);
        {
            ComHold<IExplorerCommand> command;
            MakeCommand(command);
            if (HasFatalFailure()) return;
            ComHold<IShellItemArray> items(ItemsFromParsingNames(selected));
            EXPECT_EQ(S_OK, command->Invoke(items.Get(), nullptr));
        }
        ASSERT_TRUE(ViewerReported()) << "no viewer reported within 20 s";
        EXPECT_EQ("ok", Recorded("done"));
        std::string line = Recorded("command-line.txt");
        std::string list = ListFileNamedIn(line);
        EXPECT_EQ(Escaped("\"" + viewer_ + "\" \"" + AnsiNameOf(selected.back()) + "\" /f \"" +
                          list + "\""),
                  Escaped(line));
        std::vector<std::string> expected;
        for (const std::wstring& path : selected) expected.push_back(AnsiNameOf(path));
        EXPECT_EQ(Escaped(ExpectedListBytes(expected)), Escaped(Recorded("list.bin")));
        DeleteFileA(list.c_str());  // the stand-in reads the list but leaves it
    }
}

TEST_F(ViewerStartTest, NoSelectionAndNoFileSystemItemStartNothing) {
    ComHold<IExplorerCommand> command;
    MakeCommand(command);
    if (HasFatalFailure()) return;
    EXPECT_EQ(S_OK, command->Invoke(nullptr, nullptr));
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer));
    ComHold<IShellItemArray> items(ItemsFromIdLists({computer}));
    EXPECT_EQ(S_OK, command->Invoke(items.Get(), nullptr));
    CoTaskMemFree(computer);
    Sleep(500);  // a start would have been recorded by now
    EXPECT_EQ("", Recorded("done")) << "a viewer was started";
    EXPECT_TRUE(vmxtest::FolderEntries(lists_.Path()).empty());
}

}  // namespace
}  // namespace menutest
