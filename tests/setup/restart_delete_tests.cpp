// Restart-time deletion through wininit.ini, on real files in a folder that stands in for
// the Windows folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "restart_delete.h"
#include "scoped_override.h"
#include "setup_test_support.h"
#include "system_calls.h"
#include "test_files.h"

namespace {

using vmxtest::Escaped;
using vmxtest::ReadFileBytes;
using vmxtest::WriteFileBytes;

const std::string P = "C:\\WINDOWS\\SYSTEM\\Shellext\\vmxinst.exe";

int g_writes = 0;

BOOL WINAPI CountedWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                         LPOVERLAPPED overlapped) {
    ++g_writes;
    return WriteFile(file, data, size, written, overlapped);
}

BOOL WINAPI ShortWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    return WriteFile(file, data, size - 1, written, nullptr);
}

std::string ProfileValue(const std::string& file, const char* section, const char* key) {
    char value[512] = {};
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, file.c_str());
    return value;
}

class WininitTest : public ::testing::Test {
protected:
    std::string Profile(const char* section, const char* key) {
        return ProfileValue(wininit_, section, key);
    }
    std::string Contents() { return ReadFileBytes(wininit_); }

    vmxtest::TempFolder folder_;
    setuptest::ScopedWindowsDir windows_{folder_.Path()};
    const std::string wininit_ = folder_.File("wininit.ini");
    vmxtest::ScopedOverride<decltype(SystemCalls.WriteFile)> writes_{SystemCalls.WriteFile,
                                                                     &CountedWrite};
    void SetUp() override { g_writes = 0; }
};

// --- ScheduleDeleteAtRestart ---

using ScheduleDelete = WininitTest;

TEST_F(ScheduleDelete, InsertsDirectlyBelowTheSectionLine) {
    WriteFileBytes(wininit_, "[RENAME]\r\nNUL=C:\\A.TMP\r\n");
    ScheduleDeleteAtRestart(P);
    EXPECT_EQ(Escaped("[RENAME]\r\nNUL=" + P + "\r\nNUL=C:\\A.TMP\r\n"), Escaped(Contents()));
    EXPECT_EQ(1, g_writes);
}

TEST_F(ScheduleDelete, EverySectionLineWithALineAfterItGetsAnEntryAndAWrite) {
    WriteFileBytes(wininit_,
                   "; wininit\n[boot]\nx=1\n[rename]\nNUL=C:\\A.TMP\n; about [Rename] here\n"
                   "\x95\x5C=1\n[Rename]");
    ScheduleDeleteAtRestart(P);
    // LF-only lines and the missing last line end come back as CR LF; the last section line
    // has no line after it and gets nothing.
    EXPECT_EQ(Escaped("; wininit\r\n[boot]\r\nx=1\r\n[rename]\r\nNUL=" + P +
                      "\r\nNUL=C:\\A.TMP\r\n; about [Rename] here\r\nNUL=" + P +
                      "\r\n\x95\x5C=1\r\n[Rename]\r\n"),
              Escaped(Contents()));
    EXPECT_EQ(2, g_writes) << "one write after each insertion";
}

TEST_F(ScheduleDelete, PathIsWrittenExactlyAsPassed) {
    WriteFileBytes(wininit_, "[rename]\r\n\r\n");
    const std::string spaced = "C:\\Program Files\\Velle Max\\vmx inst.exe";
    ScheduleDeleteAtRestart(spaced);
    EXPECT_EQ(Escaped("[rename]\r\nNUL=" + spaced + "\r\n\r\n"), Escaped(Contents()));
}

TEST_F(ScheduleDelete, MissingFileGoesThroughTheProfileWriter) {
    ScheduleDeleteAtRestart(P);
    EXPECT_EQ(P, Profile("Rename", "NUL"));
    EXPECT_EQ(0, g_writes) << "the list was written although nothing was loaded";
}

TEST(ScheduleDeleteFallback, FileWithoutUsableSectionLineGoesThroughTheProfileWriter) {
    const char* files[] = {"", "[boot]\r\nx=1\r\n", "[boot]\r\nx=1\r\n[RENAME]",
                           "[boot]\r\n[RENAME]\r\n"};
    for (const char* before : files) {
        // A folder of its own each time: the profile functions cache what they read.
        vmxtest::TempFolder folder;
        setuptest::ScopedWindowsDir windows(folder.Path());
        const std::string wininit = folder.File("wininit.ini");
        vmxtest::ScopedOverride counted(SystemCalls.WriteFile, &CountedWrite);
        WriteFileBytes(wininit, before);
        g_writes = 0;
        ScheduleDeleteAtRestart(P);
        EXPECT_EQ(P, ProfileValue(wininit, "Rename", "NUL")) << "file was " << Escaped(before);
        EXPECT_EQ(0, g_writes) << "the list was written back for " << Escaped(before);
        if (std::string(before).find("x=1") != std::string::npos) {
            EXPECT_EQ("1", ProfileValue(wininit, "boot", "x")) << "other sections must stay";
        }
    }
}

TEST_F(ScheduleDelete, ReadOnlyFileRaisesEFCreateErrorAndStaysAsItWas) {
    const std::string before = "[RENAME]\r\nNUL=C:\\A.TMP\r\n";
    WriteFileBytes(wininit_, before);
    ASSERT_TRUE(SetFileAttributesA(wininit_.c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        ScheduleDeleteAtRestart(P);
        ADD_FAILURE() << "a read-only wininit.ini raised nothing";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot create file " + wininit_, e.Message());
    }
    EXPECT_EQ(Escaped(before), Escaped(Contents()));
    EXPECT_EQ(std::vector<std::string>{"wininit.ini"}, vmxtest::FolderEntries(folder_.Path()));
}

TEST_F(ScheduleDelete, ShortWriteRaisesEWriteErrorWithoutFallingBack) {
    const std::string before = "[RENAME]\r\nNUL=C:\\A.TMP\r\n";
    WriteFileBytes(wininit_, before);
    vmxtest::ScopedOverride shortWrite(SystemCalls.WriteFile, &ShortWrite);
    EXPECT_THROW(ScheduleDeleteAtRestart(P), EWriteError);
    // Neither shortened nor given the entry by the profile writer.
    EXPECT_EQ(Escaped(before), Escaped(Contents()));
    EXPECT_EQ(std::vector<std::string>{"wininit.ini"}, vmxtest::FolderEntries(folder_.Path()));
}

// --- CancelPendingSelfDelete ---

std::string OwnFileName() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(p.rfind('\\') + 1);
}

std::string UpperCased(std::string s) {
    CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

class CancelSelfDelete : public WininitTest {
protected:
    const std::string own_ = OwnFileName();
    const std::string ownUpper_ = UpperCased(own_);
};

struct CancelCase {
    const char* what;
    std::string before;
    std::string after;  // empty: the file must stay untouched, not even rewritten
};

TEST_F(CancelSelfDelete, RemovesTheFirstEntryNamingTheRunningProgram) {
    const std::string& o = own_;
    const std::string& O = ownUpper_;
    const CancelCase cases[] = {
        {"entry in any folder and any case",
         "[rename]\nNUL=C:\\WINDOWS\\SYSTEM\\Shellext\\" + O + "\nNUL=C:\\A.TMP\n",
         "[rename]\r\nNUL=C:\\A.TMP\r\n"},
        {"entry after a drive colon", "[RENAME]\r\nNUL=A:" + o + "\r\n", "[RENAME]\r\n"},
        {"only the first of two", "[RENAME]\nNUL=C:\\" + o + "\nNUL=D:\\Other\\" + O + "\n",
         "[RENAME]\r\nNUL=D:\\Other\\" + O + "\r\n"},
        {"below a later section header", "[rename]\nNUL=C:\\A.TMP\n[Other]\nNUL=C:\\" + o + "\n",
         "[rename]\r\nNUL=C:\\A.TMP\r\n[Other]\r\n"},
        {"marker inside a longer line", "[rename]\nXNUL=C:\\" + o + "\n", "[rename]\r\n"},
        {"the line that moves up is not examined",
         "[rename]\nNUL=C:\\" + o + "\n[rename]\nNUL=C:\\" + o + "\n",
         "[rename]\r\n[rename]\r\nNUL=C:\\" + o + "\r\n"},
        {"one removal per section line",
         "[rename]\nNUL=C:\\" + o + "\nx\n[rename]\nNUL=C:\\" + o + "\n",
         "[rename]\r\nx\r\n[rename]\r\n"},
        {"no file", "", ""},
        {"no section line", "NUL=C:\\" + o + "\n", ""},
        {"entry above the first section line", "NUL=C:\\" + o + "\n[rename]\n", ""},
        {"blank before the equals sign", "[rename]\nNUL =C:\\" + o + "\n", ""},
        {"blank after the name", "[rename]\nNUL=C:\\" + o + " \n", ""},
        {"another name", "[rename]\nNUL=C:\\x" + o + "\nNUL=C:\\" + o + "\\sub\n", ""},
        {"name beyond 260 characters",
         "[rename]\nNUL=C:\\" + std::string(260, 'a') + "\\" + o + "\n", ""},
    };
    for (const CancelCase& c : cases) {
        DeleteFileA(wininit_.c_str());
        if (!c.before.empty()) WriteFileBytes(wininit_, c.before);
        g_writes = 0;
        CancelPendingSelfDelete();
        if (c.before.empty()) {
            EXPECT_FALSE(vmxtest::FileExists(wininit_)) << c.what << ": a file was created";
        } else if (c.after.empty()) {
            EXPECT_EQ(Escaped(c.before), Escaped(Contents())) << c.what;
            EXPECT_EQ(0, g_writes) << c.what << ": the file was rewritten";
        } else {
            EXPECT_EQ(Escaped(c.after), Escaped(Contents())) << c.what;
        }
    }
}

TEST_F(CancelSelfDelete, ReadOnlyFileRaisesEFCreateError) {
    const std::string before = "[rename]\r\nNUL=C:\\" + own_ + "\r\n";
    WriteFileBytes(wininit_, before);
    ASSERT_TRUE(SetFileAttributesA(wininit_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(CancelPendingSelfDelete(), EFCreateError);
    EXPECT_EQ(Escaped(before), Escaped(Contents()));
}

// --- CancelScheduledDeletes ---

using CancelScheduled = WininitTest;

TEST_F(CancelScheduled, RemovesEveryEntryOfTheNamedPathsInRenameSectionsOnly) {
    WriteFileBytes(wininit_,
                   "[rename]\nNUL=C:\\A.TMP\nnul=c:\\windows\\system\\shellext\\VMXTOOL.DLL\n"
                   "NUL=C:\\WINDOWS\\SYSTEM\\Shellext\\vmxtool.dll.old\n"
                   "NUL=C:\\WINDOWS\\SYSTEM\\Shellext\n[Other]\n"
                   "NUL=C:\\WINDOWS\\SYSTEM\\Shellext\\vmxtool.dll\n[Rename]\n"
                   "NUL=C:\\WINDOWS\\SYSTEM\\Shellext\\vmxtool.dll\n");

    CancelScheduledDeletes({"C:\\WINDOWS\\SYSTEM\\Shellext\\vmxtool.dll", "C:\\WINDOWS\\SYSTEM\\Shellext"});

    EXPECT_EQ(Escaped("[rename]\r\nNUL=C:\\A.TMP\r\n"
                      "NUL=C:\\WINDOWS\\SYSTEM\\Shellext\\vmxtool.dll.old\r\n[Other]\r\n"
                      "NUL=C:\\WINDOWS\\SYSTEM\\Shellext\\vmxtool.dll\r\n[Rename]\r\n"),
              Escaped(Contents()))
        << "expected the named paths gone below [rename] sections only, other entries kept";
    EXPECT_EQ(1, g_writes) << "expected one write for all removals";
}

TEST_F(CancelScheduled, NothingToRemoveWritesNothing) {
    const std::string before = "[rename]\nNUL=C:\\A.TMP\n";
    WriteFileBytes(wininit_, before);
    CancelScheduledDeletes({"C:\\WINDOWS\\SYSTEM\\Shellext\\vmxtool.dll"});
    EXPECT_EQ(Escaped(before), Escaped(Contents()));
    EXPECT_EQ(0, g_writes);
    DeleteFileA(wininit_.c_str());
    CancelScheduledDeletes({"C:\\X"});
    EXPECT_FALSE(vmxtest::FileExists(wininit_)) << "a missing wininit.ini was created";
}

TEST(FileNamePart, TakesWhatFollowsTheLastBackslashOrColon) {
    EXPECT_EQ("vmxinst.exe", FileNamePart("C:\\WINDOWS\\SYSTEM\\Shellext\\vmxinst.exe"));
    EXPECT_EQ("vmxinst.exe", FileNamePart("A:vmxinst.exe"));
    EXPECT_EQ("b", FileNamePart("a:\\x:b"));
    EXPECT_EQ("plain.exe", FileNamePart("plain.exe"));
    EXPECT_EQ("", FileNamePart("C:\\dir\\"));
    EXPECT_EQ("", FileNamePart(""));
    EXPECT_EQ(std::string(255, 'n'), FileNamePart("C:\\" + std::string(300, 'n')));
    EXPECT_EQ(std::string(255, 'n'), FileNamePart(std::string(300, 'n')));
}

}  // namespace
