// TStringList on real files: how bytes become lines, how lines become a file, and that a
// failed write-back leaves the old file exactly as it was, with nothing else beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "scoped_override.h"
#include "setup_test_support.h"
#include "string_list.h"
#include "system_calls.h"
#include "test_files.h"

namespace {

using Lines = std::vector<std::string>;
using vmxtest::Escaped;
using vmxtest::ReadFileBytes;
using vmxtest::WriteFileBytes;

Lines LinesOf(const TStringList& list) {
    Lines lines;
    for (int i = 0; i < list.LineCount(); ++i) lines.push_back(list.LineAt(i));
    return lines;
}

TStringList ListOf(const Lines& lines) {
    TStringList list;
    for (const std::string& line : lines) list.InsertLine(list.LineCount(), line);
    return list;
}

struct SplitCase {
    std::string bytes;
    Lines expected;
};

TEST(LoadLines, SplitsAtCrLfCrOrLfAndStopsAtNul) {
    using namespace std::string_literals;
    const SplitCase cases[] = {
        {"", {}},
        {"x\r\ny\n\nz", {"x", "y", "", "z"}},
        {"x\n\ry", {"x", "", "y"}},
        {"a\rb\r\rc", {"a", "b", "", "c"}},
        {"last\r\n", {"last"}},
        {"last\r", {"last"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {"no end", {"no end"}},
        {"a\0b\r\nc"s, {"a"}},
        {"a\r\n\0\r\nb"s, {"a"}},
        {"\0x"s, {}},
        {" [rename] \t\r\n\x95\x5C\xE9\r\n", {" [rename] \t", "\x95\x5C\xE9"}},
    };
    vmxtest::TempFolder folder;
    const std::string file = folder.File("lines.txt");
    for (const SplitCase& c : cases) {
        WriteFileBytes(file, c.bytes);
        TStringList list = ListOf({"old line"});
        list.LoadLines(file);
        EXPECT_EQ(c.expected, LinesOf(list)) << "file bytes " << Escaped(c.bytes);
    }
}

TEST(LoadLines, MissingOrLockedFileRaisesEFOpenErrorAndKeepsTheList) {
    vmxtest::TempFolder folder;
    const std::string missing = folder.File("missing.ini");
    TStringList list = ListOf({"kept"});
    try {
        list.LoadLines(missing);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ("Cannot open file " + missing, e.Message());
    }

    // Opened without sharing: a file another program holds open cannot be read.
    const std::string locked = folder.File("locked.ini");
    WriteFileBytes(locked, "a\r\n");
    HANDLE holder =
        CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_THROW(list.LoadLines(locked), EFOpenError);
    CloseHandle(holder);
    EXPECT_EQ(Lines{"kept"}, LinesOf(list));

    EXPECT_THROW(list.LoadLines(folder.Path()), EFOpenError) << "a folder is not a file";
}

TEST(SaveLines, EveryLineEndsInCrLfAndOldContentGoes) {
    vmxtest::TempFolder folder;
    const std::string file = folder.File("out.ini");
    WriteFileBytes(file, std::string(100, 'o'));  // longer than what follows

    ListOf({"[RENAME]", "", "NUL=C:\\A.TMP", "\x95\x5C"}).SaveLines(file);
    EXPECT_EQ(Escaped("[RENAME]\r\n\r\nNUL=C:\\A.TMP\r\n\x95\x5C\r\n"),
              Escaped(ReadFileBytes(file)));
    TStringList().SaveLines(file);
    EXPECT_EQ("", ReadFileBytes(file)) << "an empty list gives an empty file";

    const std::string fresh = folder.File("new.ini");
    ListOf({"a"}).SaveLines(fresh);
    EXPECT_EQ("a\r\n", ReadFileBytes(fresh));
    EXPECT_EQ((Lines{"new.ini", "out.ini"}), vmxtest::FolderEntries(folder.Path()));

    // Written and read back, the lines are the same.
    TStringList again;
    ListOf({"x", "", "y"}).SaveLines(file);
    again.LoadLines(file);
    EXPECT_EQ((Lines{"x", "", "y"}), LinesOf(again));
}

TEST(Lines, IndexOutsideTheListRaisesEListError) {
    TStringList list = ListOf({"a", "b"});
    auto expectListError = [](auto operation, const char* what) {
        try {
            operation();
            ADD_FAILURE() << what << " did not raise";
        } catch (const EListError& e) {
            EXPECT_EQ("List index out of bounds", e.Message()) << what;
        }
    };
    expectListError([&] { list.LineAt(-1); }, "LineAt(-1)");
    expectListError([&] { list.LineAt(2); }, "LineAt(count)");
    expectListError([&] { list.InsertLine(3, "x"); }, "InsertLine(count + 1)");
    expectListError([&] { list.InsertLine(-1, "x"); }, "InsertLine(-1)");
    expectListError([&] { list.DeleteLine(2); }, "DeleteLine(count)");
    expectListError([&] { TStringList().DeleteLine(0); }, "DeleteLine on an empty list");
    EXPECT_EQ((Lines{"a", "b"}), LinesOf(list));

    list.InsertLine(2, "end");
    list.InsertLine(0, "start");
    list.InsertLine(2, "middle");
    EXPECT_EQ((Lines{"start", "a", "middle", "b", "end"}), LinesOf(list));
    list.DeleteLine(1);
    list.DeleteLine(3);
    EXPECT_EQ((Lines{"start", "middle", "b"}), LinesOf(list));
}

// The write-back failures: each must leave the old file byte for byte and nothing beside it.
class SaveLinesFailure : public ::testing::Test {
protected:
    void SetUp() override { WriteFileBytes(file_, old_); }

    void ExpectOldFileAlone(const char* what) {
        EXPECT_EQ(Escaped(old_), Escaped(ReadFileBytes(file_))) << what << ": old file changed";
        EXPECT_EQ(Lines{"wininit.ini"}, vmxtest::FolderEntries(folder_.Path()))
            << what << ": files left beside the old one";
    }

    vmxtest::TempFolder folder_;
    const std::string file_ = folder_.File("wininit.ini");
    const std::string old_ = "[boot]\nold=1\r\n[rename]\r\nNUL=C:\\OLD.TMP";
    TStringList new_ = ListOf({"[rename]", "NUL=C:\\NEW.TMP", "NUL=C:\\OLD.TMP"});
};

TEST_F(SaveLinesFailure, ReadOnlyFileRaisesEFCreateError) {
    ASSERT_TRUE(SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        new_.SaveLines(file_);
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot create file " + file_, e.Message());
    }
    ExpectOldFileAlone("read-only");
    EXPECT_TRUE(GetFileAttributesA(file_.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(SaveLinesFailure, FileHeldOpenRaisesEFCreateError) {
    HANDLE holder = CreateFileA(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_THROW(new_.SaveLines(file_), EFCreateError);
    CloseHandle(holder);
    ExpectOldFileAlone("held open");
}

TEST_F(SaveLinesFailure, MissingFolderRaisesEFCreateError) {
    const std::string elsewhere = folder_.File("no such folder\\wininit.ini");
    try {
        new_.SaveLines(elsewhere);
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot create file " + elsewhere, e.Message());
    }
    ExpectOldFileAlone("missing folder");
}

BOOL WINAPI ShortWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    // Half the block reaches the disk, as on a full disk.
    return WriteFile(file, data, size / 2, written, nullptr);
}

BOOL WINAPI FailedWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST_F(SaveLinesFailure, ShortWriteRaisesEWriteError) {
    for (auto write : {&ShortWrite, &FailedWrite}) {
        vmxtest::ScopedOverride scripted(SystemCalls.WriteFile, write);
        try {
            new_.SaveLines(file_);
            ADD_FAILURE() << "no error for a short write";
        } catch (const EWriteError& e) {
            EXPECT_EQ("Stream write error", e.Message());
        }
        ExpectOldFileAlone(write == &ShortWrite ? "short write" : "failed write");
    }
}

BOOL WINAPI MoveNotImplemented(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI MoveRefused(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(SaveLinesFailure, RefusedReplaceRaisesEFCreateError) {
    vmxtest::ScopedOverride scripted(SystemCalls.MoveFileExA, &MoveRefused);
    EXPECT_THROW(new_.SaveLines(file_), EFCreateError);
    ExpectOldFileAlone("replace refused");
}

// Without a replacing move (the Windows 95 family) the old file steps aside under a backup
// name until the new one is in place.
TEST(SaveLinesWithoutReplacingMove, ReplacesTheFileAndLeavesNoBackup) {
    vmxtest::ScopedOverride scripted(SystemCalls.MoveFileExA, &MoveNotImplemented);
    vmxtest::TempFolder folder;
    const std::string file = folder.File("wininit.ini");
    WriteFileBytes(file, "[rename]\nNUL=C:\\OLD.TMP\n");
    ListOf({"[rename]", "NUL=C:\\NEW.TMP", "NUL=C:\\OLD.TMP"}).SaveLines(file);
    EXPECT_EQ("[rename]\r\nNUL=C:\\NEW.TMP\r\nNUL=C:\\OLD.TMP\r\n", ReadFileBytes(file));
    EXPECT_EQ(Lines{"wininit.ini"}, vmxtest::FolderEntries(folder.Path()));

    const std::string fresh = folder.File("fresh.ini");
    ListOf({"a"}).SaveLines(fresh);
    EXPECT_EQ("a\r\n", ReadFileBytes(fresh));
    EXPECT_EQ((Lines{"fresh.ini", "wininit.ini"}), vmxtest::FolderEntries(folder.Path()));
}

std::string g_target;
int g_movesOntoTarget = 0;

// Refuses the first move onto the target: the new file's; lets the old file come back.
BOOL WINAPI FirstMoveOntoTargetRefused(LPCSTR from, LPCSTR to) {
    if (g_target == to && ++g_movesOntoTarget == 1) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileA(from, to);
}

TEST_F(SaveLinesFailure, WithoutReplacingMoveAFailedSwapPutsTheOldFileBack) {
    // The old file is moved aside, then the new one cannot take its name.
    g_target = file_;
    g_movesOntoTarget = 0;
    vmxtest::ScopedOverride noReplace(SystemCalls.MoveFileExA, &MoveNotImplemented);
    vmxtest::ScopedOverride move(SystemCalls.MoveFileA, &FirstMoveOntoTargetRefused);
    EXPECT_THROW(new_.SaveLines(file_), EFCreateError);
    EXPECT_EQ(2, g_movesOntoTarget) << "expected the new file's move and the old file's return";
    ExpectOldFileAlone("failed swap");
}

}  // namespace
