// Invoke with the command's code linked into this program, its viewer start recorded: which
// items reach the viewer, and in which form, for real item arrays of real files.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "launch_fixture.h"
#include "menu_test_support.h"
#include "packaged_command.h"

namespace menutest {
namespace {

using launchtest::ExpectedListBytes;
using launchtest::ListFileNamedIn;
using vmxtest::ComHold;
using vmxtest::Escaped;

class InvokeTest : public launchtest::LaunchTest {
protected:
    void SetUp() override {
        PackagedCommand* command = PackagedCommand::Create();
        ASSERT_NE(nullptr, command);
        command->AddRef();
        command_ = command;
    }
    void TearDown() override {
        if (command_) command_->Release();
    }

    std::wstring File(const std::wstring& name) {
        std::wstring path = Wide(files_.Path()) + L"\\" + name;
        CreateEmptyFile(path);
        return path;
    }

    // The files the launch wrote into the temporary folder, the test's own folder aside.
    std::vector<std::string> LaunchFiles() const {
        std::vector<std::string> found;
        for (const std::string& name : TempFiles())
            if (name.rfind("vmxinvoke", 0) != 0) found.push_back(name);
        return found;
    }

    Apartment apartment_;
    vmxtest::TempFolder files_{"vmxinvoke"};
    PackagedCommand* command_ = nullptr;
};

TEST_F(InvokeTest, OneFileReachesTheViewerOnItsCommandLine) {
    std::wstring a = File(L"un fichier.txt");
    ComHold<IShellItemArray> items(ItemsFromParsingNames({a}));
    EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
    ASSERT_EQ(1u, viewer_.Starts().size());
    EXPECT_EQ(Escaped(OnePathLine(ViewerBesideProgram(), AnsiNameOf(a))),
              Escaped(viewer_.Starts()[0].commandLine));
    EXPECT_EQ(UINT(SW_SHOW), viewer_.Starts()[0].show);
    EXPECT_TRUE(LaunchFiles().empty()) << "a list file was written for one item";
}

TEST_F(InvokeTest, SeveralFilesReachTheViewerThroughTheListFileInSelectionOrder) {
    std::wstring a = File(L"b.txt"), b = File(L"a.txt"), c = File(L"c d.txt");
    ComHold<IShellItemArray> items(ItemsFromParsingNames({a, b, c}));
    EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
    ASSERT_EQ(1u, viewer_.Starts().size());
    const std::string& line = viewer_.Starts()[0].commandLine;
    std::string list = ListFileNamedIn(line);
    ASSERT_FALSE(list.empty()) << line;
    EXPECT_EQ(Escaped(ListLine(ViewerBesideProgram(), AnsiNameOf(c), list)), Escaped(line));
    EXPECT_EQ(Escaped(ExpectedListBytes({AnsiNameOf(a), AnsiNameOf(b), AnsiNameOf(c)})),
              Escaped(vmxtest::ReadFileBytes(list)));
}

// A Japanese name on a French system, accented and Cyrillic ones on a Japanese system:
// each reaches the viewer in a form that opens the very file through the "A" functions.
TEST_F(InvokeTest, NamesOutsideTheCodePageReachTheViewerInAFormThatOpensThem) {
    std::vector<std::wstring> paths = {File(L"\x65E5\x672C\x8A9E.txt"),
                                       File(L"caf\x00E9 cr\x00E8me.txt"),
                                       File(L"\x041C\x0438\x0440.txt")};
    ComHold<IShellItemArray> items(ItemsFromParsingNames(paths));
    EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
    ASSERT_EQ(1u, viewer_.Starts().size());
    std::string list = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    ASSERT_FALSE(list.empty()) << viewer_.Starts()[0].commandLine;
    std::vector<std::string> expected;
    for (const std::wstring& path : paths) {
        expected.push_back(AnsiNameOf(path));
        HANDLE file = CreateFileA(expected.back().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << "does not open: " << Escaped(expected.back());
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    EXPECT_EQ(Escaped(ExpectedListBytes(expected)), Escaped(vmxtest::ReadFileBytes(list)));
}

TEST_F(InvokeTest, ItemsWithoutAFileSystemPathAreLeftOut) {
    std::wstring a = File(L"gard\x00E9.txt");
    PIDLIST_ABSOLUTE computer = nullptr, desktop = nullptr, file = nullptr;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer));
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop));
    ASSERT_EQ(S_OK, SHParseDisplayName(a.c_str(), nullptr, &file, 0, nullptr));
    {
        ComHold<IShellItemArray> items(ItemsFromIdLists({computer, file, computer}));
        EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
        ASSERT_EQ(1u, viewer_.Starts().size()) << "one file among the items";
        EXPECT_EQ(Escaped(OnePathLine(ViewerBesideProgram(), AnsiNameOf(a))),
                  Escaped(viewer_.Starts()[0].commandLine));
    }
    {
        ComHold<IShellItemArray> items(ItemsFromIdLists({computer}));
        EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
        EXPECT_EQ(1u, viewer_.Starts().size()) << "a start for no file at all";
    }
    {
        // The desktop's own item has a folder on disk but none above it.
        ComHold<IShellItemArray> items(ItemsFromIdLists({desktop, file}));
        EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
        ASSERT_EQ(2u, viewer_.Starts().size());
        EXPECT_NE(std::string::npos, viewer_.Starts()[1].commandLine.find(" /f "))
            << "the desktop's folder and the file: " << viewer_.Starts()[1].commandLine;
    }
    EXPECT_EQ(1u, LaunchFiles().size()) << "list files written";
    CoTaskMemFree(computer);
    CoTaskMemFree(desktop);
    CoTaskMemFree(file);
}

TEST_F(InvokeTest, NoSelectionStartsNothing) {
    EXPECT_EQ(S_OK, command_->Invoke(nullptr, nullptr));
    EXPECT_TRUE(viewer_.Starts().empty());
    EXPECT_TRUE(LaunchFiles().empty());
}

// Without memory for the paths the command starts nothing, and does not fault.
TEST_F(InvokeTest, NoMemoryForThePathsStartsNothing) {
    std::wstring a = File(L"a.txt"), b = File(L"b.txt");
    ComHold<IShellItemArray> items(ItemsFromParsingNames({a, b}));
    {
        vmxtest::ScopedOverride noMemory(
            SystemCalls.HeapAlloc, +[](HANDLE, DWORD, SIZE_T) -> LPVOID { return nullptr; });
        EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
    }
    EXPECT_TRUE(viewer_.Starts().empty());
    EXPECT_TRUE(LaunchFiles().empty());
    // With memory again, the same selection starts the viewer.
    EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
    EXPECT_EQ(1u, viewer_.Starts().size());
}

// Items of several folders: each is asked of its own folder.
TEST_F(InvokeTest, ItemsOfDifferentFoldersEachKeepTheirOwnFolder) {
    vmxtest::TempFolder other("vmxinvoke2");
    std::wstring a = File(L"x.txt");
    std::wstring b = Wide(other.File("x.txt"));
    CreateEmptyFile(b);
    std::wstring c = File(L"y.txt");
    ComHold<IShellItemArray> items(ItemsFromParsingNames({a, b, c}));
    EXPECT_EQ(S_OK, command_->Invoke(items.Get(), nullptr));
    ASSERT_EQ(1u, viewer_.Starts().size());
    std::string list = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(Escaped(ExpectedListBytes({AnsiNameOf(a), AnsiNameOf(b), AnsiNameOf(c)})),
              Escaped(vmxtest::ReadFileBytes(list)));
}

}  // namespace
}  // namespace menutest
