// Reading list files: the layout the shell extension writes, and the ways a list can be
// short, long or malformed; deleting our own lists once read, and only those.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_file.h"
#include "quoted.h"
#include "scoped_override.h"
#include "system_calls.h"
#include "test_files.h"
#include "viewer_session.h"
#include "wide_text.h"

namespace {

using Paths = std::vector<std::string>;

TEST(ParseListText, ReadsTheCountAndThePathsInOrder) {
    ListContents list = ParseListText("3\r\nC:\\a.txt\r\nC:\\b.txt\r\nC:\\c.txt\r\n");
    EXPECT_TRUE(list.countIsNumber);
    EXPECT_EQ(3, list.declaredCount);
    EXPECT_EQ((Paths{"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"}), list.paths);
}

TEST(ParseListText, ToleratesShortListsAndOtherLineEnds) {
    // Fewer paths than the count: the writer stopped early.
    EXPECT_EQ((Paths{"C:\\a.txt"}), ParseListText("3\r\nC:\\a.txt\r\n").paths);
    EXPECT_EQ(Paths{}, ParseListText("2\r\n").paths);
    // LF alone, and no line end after the last path.
    EXPECT_EQ((Paths{"C:\\a", "C:\\b"}), ParseListText("2\nC:\\a\nC:\\b\n").paths);
    EXPECT_EQ((Paths{"C:\\a", "C:\\b"}), ParseListText("2\r\nC:\\a\r\nC:\\b").paths);
    EXPECT_EQ((Paths{"C:\\a", "C:\\b"}), ParseListText("2\r\nC:\\a\nC:\\b\r\n").paths);
    // Blank lines are no items.
    EXPECT_EQ((Paths{"C:\\a", "C:\\b"}), ParseListText("2\r\n\r\nC:\\a\r\n  \r\nC:\\b\r\n").paths);
}

TEST(ParseListText, TakesNoMorePathsThanTheCount) {
    EXPECT_EQ((Paths{"C:\\a", "C:\\b"}), ParseListText("2\r\nC:\\a\r\nC:\\b\r\nC:\\c\r\n").paths);
    EXPECT_EQ(Paths{}, ParseListText("0\r\nC:\\a\r\n").paths);

    std::string big = "9000\r\n";
    for (int i = 0; i < 9000; ++i) big += "C:\\f" + std::to_string(i) + "\r\n";
    ListContents capped = ParseListText(big);
    EXPECT_EQ(kMaxListItems, capped.declaredCount);
    ASSERT_EQ(static_cast<size_t>(kMaxListItems), capped.paths.size());
    EXPECT_EQ("C:\\f8191", capped.paths.back());

    // A count too large for any integer is capped too, not wrapped around.
    EXPECT_EQ(kMaxListItems, ParseListText("99999999999999999999999\r\nC:\\a\r\n").declaredCount);
}

TEST(ParseListText, ACountThatIsNotANumberReadsEveryPath) {
    for (const char* count : {"abc", "-2", "+2", "2x", "", "0x10"}) {
        ListContents list = ParseListText(std::string(count) + "\r\nC:\\a\r\nC:\\b\r\nC:\\c\r\n");
        EXPECT_FALSE(list.countIsNumber) << "count line [" << count << "]";
        EXPECT_EQ((Paths{"C:\\a", "C:\\b", "C:\\c"}), list.paths) << "count line [" << count << "]";
    }
    EXPECT_TRUE(ParseListText(" 2 \r\nC:\\a\r\n").countIsNumber) << "blanks around the count";

    std::string many = "many\r\n";
    for (int i = 0; i < 9000; ++i) many += "C:\\f\r\n";
    EXPECT_EQ(static_cast<size_t>(kMaxListItems), ParseListText(many).paths.size());
}

TEST(ParseListText, KeepsLongAndDoubleBytePathsWhole) {
    std::string longPath = "C:\\" + std::string(250, 'd') + "\\x.txt";
    ASSERT_EQ(259u, longPath.size());
    ListContents list = ParseListText("1\r\n" + longPath + "\r\n");
    ASSERT_EQ(1u, list.paths.size());
    EXPECT_EQ(longPath, list.paths[0]);

    // 表 and ソ end in 0x5C; 0x0A/0x0D never occur inside a double-byte character.
    std::string japanese = "C:\\\x95\\\\\x83\\.txt";
    EXPECT_EQ(Paths{japanese}, ParseListText("1\r\n" + japanese + "\r\n").paths);
}

TEST(ParseListText, EmptyOrBrokenBytes) {
    ListContents empty = ParseListText("");
    EXPECT_FALSE(empty.countIsNumber);
    EXPECT_EQ(Paths{}, empty.paths);
    EXPECT_EQ(Paths{}, ParseListText("\r\n\r\n").paths);
    // A zero byte ends its line.
    const char withZero[] = "2\r\nC:\\a\0junk\r\nC:\\b\r\n";
    EXPECT_EQ((Paths{"C:\\a", "C:\\b"}),
              ParseListText(std::string(withZero, sizeof withZero - 1)).paths);
}

// A list where the shell extension puts it: a fresh VM*.tmp in the temporary directory.
std::string NewTemporaryList(const std::string& bytes) {
    char folder[MAX_PATH + 1] = {};
    GetTempPathA(sizeof folder, folder);
    char name[MAX_PATH + 1] = {};
    EXPECT_NE(0u, GetTempFileNameA(folder, "VM", 0, name));
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    return name;
}

TEST(ReadListFile, ReadsARealFileAndDeletesOurOwnList) {
    std::string list = NewTemporaryList("2\r\nC:\\a.txt\r\nC:\\b.txt\r\n");
    ASSERT_TRUE(IsTemporaryListFile(list)) << list;
    ListContents contents;
    DWORD error = 0;
    ASSERT_TRUE(ReadAndDisposeListFile(list, contents, error)) << "error " << error;
    EXPECT_EQ((Paths{"C:\\a.txt", "C:\\b.txt"}), contents.paths);
    EXPECT_FALSE(vmxtest::FileExists(list)) << list << " was not deleted after reading";
}

TEST(ReadListFile, AnEmptyListOfOursIsDeletedToo) {
    std::string list = NewTemporaryList("");
    ListContents contents;
    DWORD error = 0;
    ASSERT_TRUE(ReadAndDisposeListFile(list, contents, error));
    EXPECT_EQ(Paths{}, contents.paths);
    EXPECT_FALSE(vmxtest::FileExists(list)) << list;
}

TEST(ReadListFile, NeverDeletesAFileThatIsNotOneOfOurLists) {
    vmxtest::TempFolder folder;
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    std::string inTemp =
        std::string(temp) + "notes-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const std::string others[] = {
        folder.File("VM1234.tmp"), folder.File("list.txt"), inTemp,
        std::string(temp) + "VM" + std::to_string(GetCurrentProcessId()) + ".txt"};
    for (const std::string& path : others) {
        vmxtest::WriteFileBytes(path, "1\r\nC:\\a.txt\r\n");
        ListContents contents;
        DWORD error = 0;
        EXPECT_FALSE(IsTemporaryListFile(path)) << path;
        ASSERT_TRUE(ReadAndDisposeListFile(path, contents, error)) << path << " error " << error;
        EXPECT_EQ(Paths{"C:\\a.txt"}, contents.paths) << path;
        EXPECT_TRUE(vmxtest::FileExists(path)) << path << " was deleted but is not our list";
        DeleteFileA(path.c_str());
    }
}

TEST(ReadListFile, AMissingListIsReportedNotRead) {
    vmxtest::TempFolder folder;
    ListContents contents;
    DWORD error = 0;
    EXPECT_FALSE(ReadListFile(folder.File("VM0000.tmp"), contents, error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
    EXPECT_FALSE(ReadListFile(folder.Path(), contents, error)) << "a folder is no list";
}

int g_messages = 0;
std::string g_lastMessage;
int WINAPI CountMessage(HWND, LPCSTR text, LPCSTR, UINT) {
    ++g_messages;
    g_lastMessage = text;
    return IDOK;
}

// Reading a device could wait for ever (COM1 does under Wine): only files on a disk are
// read, and the message says what the name was.
TEST(ReadListFile, ADeviceIsRefusedNotRead) {
    vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &CountMessage);
    g_messages = 0;
    ViewerStart start = PrepareViewer("\"C:\\x.txt\" /f \\\\.\\NUL", kFrenchTexts);
    EXPECT_EQ(kExitListUnreadable, start.exitCode);
    ASSERT_EQ(1, g_messages);
    EXPECT_EQ(std::string(kFrenchTexts.ListNotAFileError) + "\\\\.\\NUL", g_lastMessage);
}

// The items are the list's paths as they are: asking the file system about each one is the
// window's look-up, once it answers its messages.
TEST(ViewerOnAList, TakesTheListedPathsAndFocusesTheNamedOne) {
    vmxtest::TempFolder folder;
    vmxtest::WriteFileBytes(folder.File("a.txt"), "aaa");
    vmxtest::WriteFileBytes(folder.File("b.txt"), "bbbbbb");
    std::string list =
        NewTemporaryList("3\r\n" + folder.File("a.txt") + "\r\n" + folder.File("b.txt") + "\r\n" +
                         folder.File("gone") + "\r\n");
    g_messages = 0;
    vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &CountMessage);
    std::string line = viewertest::Quoted(folder.File("b.txt")) + " /f " + viewertest::Quoted(list);
    ViewerStart start = PrepareViewer(line.c_str(), kFrenchTexts);

    EXPECT_EQ(0, g_messages) << g_lastMessage;
    ASSERT_EQ(ViewerShow::Items, start.show);
    ASSERT_EQ(3u, start.paths.size());
    EXPECT_EQ(folder.File("a.txt"), start.paths[0]);
    EXPECT_EQ(folder.File("gone"), start.paths[2]);
    EXPECT_EQ(1, start.focusIndex) << "the path before /f is the one to focus";
    EXPECT_EQ(L"VelluMax - 3 \x00E9l\x00E9ments", start.title);
    EXPECT_FALSE(vmxtest::FileExists(list)) << "the list was left behind";
}

TEST(ViewerOnAList, AnEmptyListFallsBackToTheNamedPath) {
    vmxtest::TempFolder folder;
    vmxtest::WriteFileBytes(folder.File("only.txt"), "x");
    std::string list = NewTemporaryList("");
    vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &CountMessage);
    std::string line =
        viewertest::Quoted(folder.File("only.txt")) + " /f " + viewertest::Quoted(list);
    ViewerStart start = PrepareViewer(line.c_str(), kFrenchTexts);
    ASSERT_EQ(ViewerShow::Items, start.show);
    ASSERT_EQ(1u, start.paths.size());
    EXPECT_EQ(folder.File("only.txt"), start.paths[0]);
    EXPECT_EQ(L"VelluMax - " + WidePath(folder.File("only.txt")), start.title);
}

TEST(ViewerOnAList, TracesWhatItReadWhenAsked) {
    vmxtest::TempFolder folder;
    std::string trace = folder.File("trace.txt");
    std::string list = NewTemporaryList("5\r\nC:\\a.txt\r\nC:\\b.txt\r\n");
    vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &CountMessage);
    SetEnvironmentVariableA("VMXTOOL_TRACE", trace.c_str());
    PrepareViewer(("\"C:\\b.txt\" /f " + viewertest::Quoted(list)).c_str(), kFrenchTexts);
    PrepareViewer("\"C:\\\" /dinfo", kFrenchTexts);
    SetEnvironmentVariableA("VMXTOOL_TRACE", nullptr);
    PrepareViewer("\"C:\\c.txt\"", kFrenchTexts);  // no longer traced
    EXPECT_EQ("count: 5\r\nitem: C:\\a.txt\r\nitem: C:\\b.txt\r\ndeleted: yes\r\ndinfo: C:\\\r\n",
              vmxtest::ReadFileBytes(trace));
}

TEST(ViewerOnAList, AListThatCannotBeOpenedIsToldNotShown) {
    vmxtest::TempFolder folder;
    g_messages = 0;
    vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &CountMessage);
    std::string missing = folder.File("VM9999.tmp");
    std::string line = "\"C:\\x.txt\" /f \"" + missing + "\"";
    ViewerStart start = PrepareViewer(line.c_str(), kJapaneseTexts);
    EXPECT_EQ(ViewerShow::Nothing, start.show);
    EXPECT_EQ(kExitListUnreadable, start.exitCode);
    ASSERT_EQ(1, g_messages);
    std::string expectedStart = std::string(kJapaneseTexts.ListOpenError) + missing + "\r\n";
    EXPECT_EQ(expectedStart, g_lastMessage.substr(0, expectedStart.size()))
        << vmxtest::Escaped(g_lastMessage);
}

}  // namespace
