// What the viewer finds out about real files, folders and volumes made or found by the
// test, and how it takes paths apart.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "disk_info.h"
#include "file_info.h"
#include "item_lookup.h"
#include "item_table.h"
#include "path_parts.h"
#include "quoted.h"
#include "scoped_override.h"
#include "system_calls.h"
#include "test_files.h"
#include "viewer_session.h"
#include "wide_text.h"

namespace {

void SetLastWrite(const std::string& path, const FILETIME& time) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &time));
    CloseHandle(h);
}

TEST(QueryItemInfo, AFileHasItsSizeNameFolderAndLastChange) {
    vmxtest::TempFolder folder;
    std::string path = folder.File("report.txt");
    vmxtest::WriteFileBytes(path, std::string(12345, 'x'));
    FILETIME when = {0x5A5A0000u, 0x01D6E000u};
    SetLastWrite(path, when);

    ItemInfo info = QueryItemInfo(path);
    EXPECT_TRUE(info.exists);
    EXPECT_FALSE(info.isFolder);
    EXPECT_EQ(12345u, info.size);
    EXPECT_EQ(L"report.txt", info.name);
    EXPECT_EQ(WidePath(folder.Path()), info.folder);
    EXPECT_EQ(when.dwHighDateTime, info.lastWrite.dwHighDateTime);
    EXPECT_EQ(when.dwLowDateTime, info.lastWrite.dwLowDateTime);
}

TEST(QueryItemInfo, SizesBeyondFourGigabytesKeepTheirHighPart) {
    vmxtest::TempFolder folder;
    std::string path = folder.File("huge.bin");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    LARGE_INTEGER size;
    size.QuadPart = 5LL * 1024 * 1024 * 1024 + 7;  // sparse on the host: no disk is used
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    EXPECT_EQ(5ull * 1024 * 1024 * 1024 + 7, QueryItemInfo(path).size);
}

TEST(QueryItemInfo, AFolderIsAFolderWithAndWithoutTrailingBackslash) {
    vmxtest::TempFolder folder;
    std::string sub = folder.File("Photos 2024");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    vmxtest::WriteFileBytes(sub + "\\inside.bin", std::string(5000, 'y'));
    for (const std::string& path : {sub, sub + "\\"}) {
        ItemInfo info = QueryItemInfo(path);
        EXPECT_TRUE(info.exists) << path;
        EXPECT_TRUE(info.isFolder) << path;
        EXPECT_EQ(0u, info.size) << "a folder's size is not its contents': " << path;
        EXPECT_EQ(L"Photos 2024", info.name) << path;
        EXPECT_EQ(WidePath(folder.Path()), info.folder) << path;
    }
    ItemInfo root = QueryItemInfo("C:\\");
    EXPECT_TRUE(root.exists && root.isFolder);
    EXPECT_EQ(L"C:\\", root.name);
}

TEST(QueryItemInfo, AMissingItemIsShownAsMissing) {
    vmxtest::TempFolder folder;
    ItemInfo gone = QueryItemInfo(folder.File("gone.txt"));
    EXPECT_FALSE(gone.exists);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), gone.error);
    EXPECT_EQ(L"gone.txt", gone.name);
    ItemInfo deep = QueryItemInfo(folder.File("no\\such\\place.txt"));
    EXPECT_FALSE(deep.exists);
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), deep.error);
}

TEST(SumItems, CountsFilesFoldersAndMissingAndAddsFileSizes) {
    vmxtest::TempFolder folder;
    vmxtest::WriteFileBytes(folder.File("a"), std::string(100, 'a'));
    vmxtest::WriteFileBytes(folder.File("b"), std::string(250, 'b'));
    CreateDirectoryA(folder.File("d").c_str(), nullptr);
    vmxtest::WriteFileBytes(folder.File("d\\big"), std::string(9999, 'c'));
    ItemTotals totals = SumItems(QueryItemInfos(
        {folder.File("a"), folder.File("b"), folder.File("d"), folder.File("missing")}));
    EXPECT_EQ(4, totals.items);
    EXPECT_EQ(2, totals.files);
    EXPECT_EQ(1, totals.folders);
    EXPECT_EQ(1, totals.missing);
    EXPECT_EQ(350u, totals.bytes);
}

// The items window's table, filled by a look-up on its own thread, as the window does it.
class LookedUpTable : public ::testing::Test {
protected:
    // c.txt (5 bytes), a folder "B", a.txt (30 bytes), a missing "d.txt": neither the
    // order given, nor by name, nor by size.
    LookedUpTable() {
        vmxtest::WriteFileBytes(folder_.File("c.txt"), std::string(5, 'c'));
        CreateDirectoryA(folder_.File("B").c_str(), nullptr);
        vmxtest::WriteFileBytes(folder_.File("a.txt"), std::string(30, 'a'));
        paths_ = std::make_shared<const std::vector<std::string>>(
            std::vector<std::string>{folder_.File("c.txt"), folder_.File("B"),
                                     folder_.File("a.txt"), folder_.File("d.txt")});
    }

    // Takes results until every item is in; false if the look-up never finishes.
    static bool TakeAll(ItemTable& table, ItemLookup& lookup) {
        for (int i = 0; i < 600 && !table.AllLookedUp(); ++i) {
            if (!table.TakeResults(lookup)) Sleep(10);
        }
        return table.AllLookedUp();
    }

    std::vector<std::wstring> Names(ItemTable& table) {
        std::vector<std::wstring> names;
        for (int row = 0; row < table.Count(); ++row) names.push_back(table.ItemAt(row).name);
        return names;
    }

    vmxtest::TempFolder folder_;
    std::shared_ptr<const std::vector<std::string>> paths_;
};

TEST_F(LookedUpTable, NamesComeFromThePathsAndTheRestFromTheLookUp) {
    ItemTable table(paths_);
    EXPECT_EQ((std::vector<std::wstring>{L"c.txt", L"B", L"a.txt", L"d.txt"}), Names(table));
    EXPECT_EQ(L"", table.RowAt(0).cells[kColumnSize]) << "a size before any look-up";
    EXPECT_FALSE(table.LookedUpAt(0));

    ItemLookup lookup(paths_, kFrenchTexts, false, nullptr, 0);
    ASSERT_TRUE(lookup.Started());
    ASSERT_TRUE(TakeAll(table, lookup)) << table.LookedUpCount() << " of 4 looked up";
    EXPECT_FALSE(table.TakeResults(lookup)) << "results taken twice";
    for (int row = 0; row < table.Count(); ++row) {
        ItemInfo direct = QueryItemInfo((*paths_)[row]);
        EXPECT_EQ(direct.exists, table.ItemAt(row).exists) << row;
        EXPECT_EQ(direct.size, table.ItemAt(row).size) << row;
        EXPECT_EQ(RowFor(direct, kFrenchTexts, false).cells[kColumnSize],
                  table.RowAt(row).cells[kColumnSize])
            << row;
    }
    const ItemTotals& totals = table.Totals();
    EXPECT_EQ(4, totals.items);
    EXPECT_EQ(2, totals.files);
    EXPECT_EQ(1, totals.folders);
    EXPECT_EQ(1, totals.missing);
    EXPECT_EQ(35u, totals.bytes);
}

TEST_F(LookedUpTable, SortedRowsShowTheirOwnItemsAndFindThemByName) {
    ItemTable table(paths_);
    ItemLookup lookup(paths_, kFrenchTexts, false, nullptr, 0);
    ASSERT_TRUE(TakeAll(table, lookup));

    table.Sort(kColumnName, false);
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"B", L"c.txt", L"d.txt"}), Names(table));
    EXPECT_EQ(L"30 octets", table.RowAt(0).cells[kColumnSize]) << "a.txt's row";
    // Missing first, then folders, then files by size.
    table.Sort(kColumnSize, false);
    EXPECT_EQ((std::vector<std::wstring>{L"d.txt", L"B", L"c.txt", L"a.txt"}), Names(table));
    EXPECT_EQ(L"5 octets", table.RowAt(2).cells[kColumnSize]) << "c.txt's row";
    table.Sort(kColumnSize, true);
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"c.txt", L"B", L"d.txt"}), Names(table));
    for (int item = 0; item < table.Count(); ++item) {
        int row = table.RowOfItem(item);
        ASSERT_GE(row, 0);
        EXPECT_EQ(item, table.ItemIndexAt(row));
        EXPECT_EQ((*paths_)[item], table.ItemAt(row).path);
    }

    EXPECT_EQ(1, table.FindByName(L"C.T", 0, false)) << "case ignored";
    EXPECT_EQ(-1, table.FindByName(L"a", 1, false)) << "a.txt lies above row 1";
    EXPECT_EQ(0, table.FindByName(L"a", 1, true)) << "found by wrapping to the top";
    EXPECT_EQ(-1, table.FindByName(L"x", 0, true));
}

TEST(SplitItemPath, NameAndFolder) {
    struct Case {
        const char* path;
        const char* name;
        const char* folder;
    } cases[] = {
        {"C:\\x\\y.txt", "y.txt", "C:\\x"},
        {"C:\\y.txt", "y.txt", "C:\\"},
        {"C:\\x\\sub\\", "sub", "C:\\x"},
        {"C:\\", "C:\\", ""},
        {"D:", "D:\\", ""},
        {"C:/x/y.txt", "y.txt", "C:/x"},
        {"\\\\server\\share\\doc.txt", "doc.txt", "\\\\server\\share"},
        {"y.txt", "y.txt", ""},
        {"\\y.txt", "y.txt", "\\"},
    };
    for (const Case& c : cases) {
        PathParts parts = SplitItemPath(c.path, 1252);
        EXPECT_EQ(c.name, parts.name) << c.path;
        EXPECT_EQ(c.folder, parts.folder) << c.path;
    }
}

TEST(SplitItemPath, DoubleByteCharactersEndingIn5CAreNoSeparators) {
    // C:\表\ソ : both characters' second byte is 0x5C, the backslash.
    const std::string table = "\x95\x5C", so = "\x83\x5C";
    PathParts parts = SplitItemPath("C:\\" + table + "\\" + so, 932);
    EXPECT_EQ(so, parts.name) << vmxtest::Escaped(parts.name);
    EXPECT_EQ("C:\\" + table, parts.folder) << vmxtest::Escaped(parts.folder);
    PathParts folderOnly = SplitItemPath("C:\\" + table + "\\", 932);
    EXPECT_EQ(table, folderOnly.name) << vmxtest::Escaped(folderOnly.name);
    EXPECT_EQ("C:\\", folderOnly.folder);
}

TEST(VolumeRootOf, DrivesAndShares) {
    EXPECT_EQ("C:\\", VolumeRootOf("C:\\x\\y", 1252));
    EXPECT_EQ("d:\\", VolumeRootOf("d:", 1252));
    EXPECT_EQ("\\\\server\\share\\", VolumeRootOf("\\\\server\\share\\dir\\f.txt", 1252));
    EXPECT_EQ("\\\\server\\share\\", VolumeRootOf("\\\\server\\share", 1252));
    EXPECT_EQ("\\\\server\\share\\", VolumeRootOf("//server/share/x", 1252));
    EXPECT_EQ("", VolumeRootOf("\\\\server", 1252));
    EXPECT_EQ("", VolumeRootOf("\\\\\\share", 1252));
    EXPECT_EQ("", VolumeRootOf("relative\\path", 1252));
    // A share whose name ends in 表 (95 5C): its second byte does not end the share name.
    EXPECT_EQ(
        "\\\\srv\\a\x95\x5C"
        "b\\",
        VolumeRootOf("\\\\srv\\a\x95\x5C"
                     "b\\x",
                     932));
}

TEST(QueryDiskInfo, ARealFolderHasAVolumeWithSpace) {
    vmxtest::TempFolder folder;
    DiskInfo info;
    DWORD error = 0;
    ASSERT_TRUE(QueryDiskInfo(folder.Path(), info, error)) << "error " << error;
    EXPECT_EQ(VolumeRootOf(folder.Path()), info.root);
    EXPECT_GT(info.totalBytes, 0u);
    EXPECT_LE(info.freeBytes, info.totalBytes);
    EXPECT_LE(info.freeToCallerBytes, info.totalBytes);
    EXPECT_FALSE(info.fileSystem.empty());

    DiskInfo fromFile;
    vmxtest::WriteFileBytes(folder.File("f.txt"), "f");
    ASSERT_TRUE(QueryDiskInfo(folder.File("f.txt"), fromFile, error));
    EXPECT_EQ(info.root, fromFile.root);
    EXPECT_EQ(info.totalBytes, fromFile.totalBytes);
}

char UnusedDriveLetter() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        if (!(drives & (1u << (letter - 'A')))) return letter;
    }
    return 0;
}

TEST(QueryDiskInfo, ADriveThatIsNotThereFails) {
    char letter = UnusedDriveLetter();
    if (letter == 0) GTEST_SKIP() << "every drive letter from Q to Y is in use";
    DiskInfo info;
    DWORD error = 0;
    EXPECT_FALSE(QueryDiskInfo(std::string(1, letter) + ":\\", info, error));
    EXPECT_NE(0u, error);
}

TEST(UsedPermille, StaysWithinTheScaleForAnySizes) {
    DiskInfo info;
    EXPECT_EQ(0, UsedPermille(info)) << "no capacity";
    info.totalBytes = 1000;
    info.freeBytes = 500;
    EXPECT_EQ(500, UsedPermille(info));
    info.freeBytes = 0;
    EXPECT_EQ(1000, UsedPermille(info));
    info.freeBytes = 2000;
    EXPECT_EQ(0, UsedPermille(info)) << "more free than total";
    info.totalBytes = ~0ull;
    info.freeBytes = info.totalBytes / 4;
    EXPECT_EQ(750, UsedPermille(info)) << "no overflow near the top of the range";
}

int g_messages = 0;
std::string g_lastMessage;
int WINAPI CountMessage(HWND, LPCSTR text, LPCSTR, UINT) {
    ++g_messages;
    g_lastMessage = text;
    return IDOK;
}

TEST(ViewerDiskInfo, ShowsTheVolumeOfAFolderOrTellsWhyNot) {
    vmxtest::TempFolder folder;
    g_messages = 0;
    vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &CountMessage);
    ViewerStart start =
        PrepareViewer((viewertest::Quoted(folder.Path()) + " /dinfo").c_str(), kFrenchTexts);
    EXPECT_EQ(0, g_messages) << g_lastMessage;
    ASSERT_EQ(ViewerShow::Disk, start.show);
    EXPECT_EQ(L"VelluMax - Infos disque - " + WidePath(start.disk.root), start.title);

    char letter = UnusedDriveLetter();
    if (letter == 0) return;
    std::string drive = std::string(1, letter) + ":\\";
    ViewerStart failed =
        PrepareViewer((viewertest::Quoted(drive) + " /dinfo").c_str(), kFrenchTexts);
    EXPECT_EQ(ViewerShow::Nothing, failed.show);
    EXPECT_EQ(kExitDiskUnreadable, failed.exitCode);
    ASSERT_EQ(1, g_messages);
    std::string expectedStart = std::string(kFrenchTexts.DiskInfoError) + drive + "\r\n";
    EXPECT_EQ(expectedStart, g_lastMessage.substr(0, expectedStart.size()))
        << vmxtest::Escaped(g_lastMessage);
}

}  // namespace
