// Sizes, dates and the texts of the rows, status line and disk lines, in both languages;
// and the order that sorting by a column gives.
#include <gtest/gtest.h>

#include <string>

#include "formatting.h"
#include "item_rows.h"
#include "test_files.h"

namespace {

const ViewerTexts& fr = kFrenchTexts;
const ViewerTexts& ja = kJapaneseTexts;
const std::string kJaBytes = "\x83\x6F\x83\x43\x83\x67";  // バイト

TEST(FormatByteCount, GroupsDigitsByThree) {
    EXPECT_EQ("0", FormatByteCount(0, fr));
    EXPECT_EQ("999", FormatByteCount(999, fr));
    EXPECT_EQ("1 000", FormatByteCount(1000, fr));
    EXPECT_EQ("1 234 567", FormatByteCount(1234567, fr));
    EXPECT_EQ("1,234,567", FormatByteCount(1234567, ja));
    EXPECT_EQ("18 446 744 073 709 551 615", FormatByteCount(~0ull, fr));
}

TEST(FormatSize, BytesThenThreeSignificantDigitsCutNotRounded) {
    struct Case {
        unsigned long long bytes;
        const char* french;
    } cases[] = {
        {0, "0 octet"},
        {1, "1 octet"},
        {2, "2 octets"},
        {1023, "1 023 octets"},
        {1024, "1,00 Ko"},
        {1536, "1,50 Ko"},
        {2047, "1,99 Ko"},
        {10 * 1024, "10,0 Ko"},
        {100 * 1024 - 1, "99,9 Ko"},
        {100 * 1024, "100 Ko"},
        {1024 * 1024 - 1, "1 023 Ko"},
        {1024 * 1024, "1,00 Mo"},
        {1552384, "1,48 Mo"},
        {5ull << 30, "5,00 Go"},
        {3ull << 40, "3,00 To"},
        {1ull << 50, "1 024 To"},
        {~0ull, "16 777 215 To"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.french, FormatSize(c.bytes, fr)) << c.bytes;
    EXPECT_EQ("1.50 KB", FormatSize(1536, ja));
    EXPECT_EQ("15.2 MB", FormatSize(15938356, ja));
    EXPECT_EQ("512 " + kJaBytes, FormatSize(512, ja));
}

TEST(FormatSize, WithBytesAddsTheExactCount) {
    EXPECT_EQ("1,48 Mo (1 552 384 octets)", FormatSizeWithBytes(1552384, fr));
    EXPECT_EQ("1.48 MB (1,552,384 " + kJaBytes + ")", FormatSizeWithBytes(1552384, ja));
    EXPECT_EQ("100 octets", FormatSizeWithBytes(100, fr)) << "no repetition below a kilobyte";
}

TEST(FormatDateTime, DayFirstInFrenchYearFirstInJapanese) {
    SYSTEMTIME t = {};
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = 5;
    t.wHour = 9;
    t.wMinute = 7;
    t.wSecond = 59;
    EXPECT_EQ("05/03/2024 09:07", FormatDateTime(t, false));
    EXPECT_EQ("2024/03/05 09:07", FormatDateTime(t, true));
    EXPECT_EQ("", FormatLocalFileTime(FILETIME{0, 0}, false)) << "a zero time is no date";
}

TEST(FormatSmallValues, SerialNumberAndPercentage) {
    EXPECT_EQ("1234-ABCD", FormatSerialNumber(0x1234ABCDu));
    EXPECT_EQ("0000-0000", FormatSerialNumber(0));
    EXPECT_EQ("73,6 %", FormatPermille(736, fr));
    EXPECT_EQ("0.0 %", FormatPermille(0, ja));
    EXPECT_EQ("100,0 %", FormatPermille(1000, fr));
    EXPECT_EQ("1 \xE9l\xE9ment", ItemCountText(1, fr));
    EXPECT_EQ("2 \xE9l\xE9ments", ItemCountText(2, fr));
}

// ASCII only, as the cases below are.
std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

ItemInfo File(const char* name, unsigned long long size, DWORD timeHigh = 0x01D00000u) {
    ItemInfo item;
    item.path = std::string("C:\\d\\") + name;
    item.shownPath = Wide(item.path);
    item.name = Wide(name);
    item.folder = L"C:\\d";
    item.exists = true;
    item.size = size;
    item.lastWrite = {0, timeHigh};
    return item;
}

ItemInfo Folder(const char* name) {
    ItemInfo item = File(name, 0);
    item.isFolder = true;
    return item;
}

ItemInfo Missing(const char* name) {
    ItemInfo item;
    item.path = std::string("C:\\d\\") + name;
    item.shownPath = Wide(item.path);
    item.name = Wide(name);
    item.folder = L"C:\\d";
    return item;
}

TEST(RowFor, FilesFoldersAndMissingItems) {
    ItemRow file = RowFor(File("a.txt", 2048), fr, false);
    EXPECT_EQ(L"a.txt", file.cells[kColumnName]);
    EXPECT_EQ(L"C:\\d", file.cells[kColumnFolder]);
    EXPECT_EQ(L"2,00 Ko", file.cells[kColumnSize]);
    EXPECT_FALSE(file.cells[kColumnModified].empty());

    // The texts' bytes read in their own code page, whatever the system's is.
    ItemRow folder = RowFor(Folder("docs"), ja, true);
    EXPECT_EQ(L"\x30D5\x30A1\x30A4\x30EB \x30D5\x30A9\x30EB\x30C0\x30FC",
              folder.cells[kColumnSize]);  // ファイル フォルダー

    ItemRow missing = RowFor(Missing("gone.doc"), fr, false);
    EXPECT_EQ(L"gone.doc", missing.cells[kColumnName]);
    EXPECT_EQ(L"Introuvable", missing.cells[kColumnSize]);
    EXPECT_EQ(L"", missing.cells[kColumnModified]);
}

TEST(StatusFor, CountBreakdownAndTotal) {
    ItemTotals totals;
    totals.items = 3;
    totals.files = 2;
    totals.folders = 1;
    totals.bytes = 1552384;
    StatusTexts status = StatusFor(totals, fr);
    EXPECT_EQ("3 \xE9l\xE9ments", status.count);
    EXPECT_EQ("Fichiers : 2   Dossiers : 1", status.breakdown) << "no missing count when none";
    EXPECT_EQ("Taille totale : 1,48 Mo (1 552 384 octets)", status.total);

    totals.items = 4;
    totals.missing = 1;
    EXPECT_EQ("Fichiers : 2   Dossiers : 1   Introuvables : 1", StatusFor(totals, fr).breakdown);
}

TEST(CompareItems, EachColumnGivesItsOrder) {
    ItemInfo small = File("Zeta.txt", 10, 0x01D00003u);
    ItemInfo large = File("alpha.txt", 5000, 0x01D00001u);
    ItemInfo folder = Folder("middle");
    ItemInfo gone = Missing("beta.txt");

    EXPECT_LT(CompareItems(large, small, kColumnName), 0) << "names ignore case";
    EXPECT_LT(CompareItems(gone, folder, kColumnName), 0);

    EXPECT_LT(CompareItems(gone, folder, kColumnSize), 0) << "missing before folders";
    EXPECT_LT(CompareItems(folder, small, kColumnSize), 0) << "folders before files";
    EXPECT_LT(CompareItems(small, large, kColumnSize), 0);
    EXPECT_GT(CompareItems(large, small, kColumnSize), 0);

    EXPECT_LT(CompareItems(large, small, kColumnModified), 0) << "older first";
    EXPECT_LT(CompareItems(gone, large, kColumnModified), 0) << "no date before any date";

    ItemInfo twin = small;
    twin.path = "C:\\e\\Zeta.txt";
    twin.shownPath = L"C:\\e\\Zeta.txt";
    EXPECT_LT(CompareItems(small, twin, kColumnSize), 0) << "ties go by path";
    EXPECT_EQ(0, CompareItems(small, small, kColumnFolder));
}

TEST(DiskLines, EveryFactOfTheVolume) {
    DiskInfo disk;
    disk.root = "C:\\";
    disk.fileSystem = "NTFS";
    disk.serialNumber = 0x4300ABCDu;
    disk.totalBytes = 4096;
    disk.freeBytes = 1024;
    auto lines = DiskLines(disk, fr);
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ("C:\\", lines[0].second);
    EXPECT_STREQ(fr.NoVolumeLabel, lines[1].second.c_str()) << "an unnamed volume says so";
    EXPECT_EQ("NTFS", lines[2].second);
    EXPECT_EQ("4300-ABCD", lines[3].second);
    EXPECT_EQ("4,00 Ko (4 096 octets)", lines[4].second);
    EXPECT_EQ("3,00 Ko (3 072 octets)", lines[5].second) << "used is total less free";
    EXPECT_EQ("1,00 Ko (1 024 octets)", lines[6].second);
    disk.label = "DATA";
    EXPECT_EQ("DATA", DiskLines(disk, ja)[1].second);
}

TEST(WindowTitles, BeginWithTheProductName) {
    EXPECT_EQ(L"VelluMax - C:\\x\\y.txt", ItemsWindowTitle(L"C:\\x\\y.txt", 1, false, fr));
    EXPECT_EQ(L"VelluMax - 12 \x00E9l\x00E9ments", ItemsWindowTitle(L"C:\\x", 12, true, fr));
    std::wstring japanese = ItemsWindowTitle(L"C:\\x", 2, true, ja);
    EXPECT_EQ(0u, japanese.find(L"\x30D9\x30EB\x30DEMAX"));  // ベルマMAX
}

TEST(PathsForClipboard, OnePathPerLine) {
    ItemInfo a = File("a", 1), b = Missing("b");
    b.shownPath = L"C:\\d\\\x65E5\x672C";  // the long form, not the path given
    EXPECT_EQ(L"C:\\d\\a\r\nC:\\d\\\x65E5\x672C", PathsForClipboard({&a, &b}));
    EXPECT_EQ(L"", PathsForClipboard({}));
}

}  // namespace
