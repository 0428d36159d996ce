// The prefix's own restart processing carries out what ScheduleDeleteAtRestart wrote into
// the real C:\windows\wininit.ini. Each test leaves wininit.ini (and the wininit.bak that the
// processing makes of it) as it found them.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "environment.h"
#include "restart_delete.h"
#include "setup_test_support.h"
#include "test_files.h"

namespace {

// Saves a file's bytes, or its absence, and puts that back at scope exit.
class FileRestore {
public:
    explicit FileRestore(std::string path) : path_(std::move(path)) {
        existed_ = vmxtest::FileExists(path_);
        if (existed_) bytes_ = vmxtest::ReadFileBytes(path_);
    }
    ~FileRestore() {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (existed_)
            vmxtest::WriteFileBytes(path_, bytes_);
        else
            DeleteFileA(path_.c_str());
    }
    FileRestore(const FileRestore&) = delete;
    FileRestore& operator=(const FileRestore&) = delete;

private:
    std::string path_;
    bool existed_ = false;
    std::string bytes_;
};

class RealRestart : public ::testing::Test {
protected:
    void SetUp() override { FillSystemFolders(); }

    std::string Scratch(const std::string& tag) {
        std::string path = folder_.File(setuptest::UniqueName(tag) + ".tmp");
        vmxtest::WriteFileBytes(path, "scratch");
        return path;
    }

    void Restart() {
        // wineboot -r carries out wininit.ini as a restart of Windows would.
        EXPECT_EQ(0u, vmxtest::RunAndWait("wineboot.exe -r")) << "wineboot -r failed";
    }

    std::string windows_ = (FillSystemFolders(), std::string(WindowsDir));
    FileRestore wininit_{windows_ + "\\wininit.ini"};
    FileRestore backup_{windows_ + "\\wininit.bak"};
    vmxtest::TempFolder folder_;
};

TEST_F(RealRestart, InsertedEntriesAreCarriedOut) {
    const std::string first = Scratch("vmxrestart-a");
    const std::string second = Scratch("vmxrestart-b");
    vmxtest::WriteFileBytes(windows_ + "\\wininit.ini", "[rename]\r\nNUL=" + second + "\r\n");

    ScheduleDeleteAtRestart(first);
    ASSERT_EQ("[rename]\r\nNUL=" + first + "\r\nNUL=" + second + "\r\n",
              vmxtest::ReadFileBytes(windows_ + "\\wininit.ini"));
    EXPECT_TRUE(vmxtest::FileExists(first)) << "deleted before the restart";

    Restart();
    EXPECT_FALSE(vmxtest::FileExists(first)) << first << " survived the restart";
    EXPECT_FALSE(vmxtest::FileExists(second)) << second << " survived the restart";
}

TEST_F(RealRestart, ProfileWriterEntryIsCarriedOut) {
    DeleteFileA((windows_ + "\\wininit.ini").c_str());
    const std::string scratch = Scratch("vmxrestart-c");

    ScheduleDeleteAtRestart(scratch);
    char entry[MAX_PATH] = {};
    GetPrivateProfileStringA("rename", "NUL", "", entry, sizeof entry,
                             (windows_ + "\\wininit.ini").c_str());
    ASSERT_EQ(scratch, entry) << "expected the entry NUL=" << scratch << " in [rename]";
    EXPECT_TRUE(vmxtest::FileExists(scratch)) << "deleted before the restart";

    Restart();
    EXPECT_FALSE(vmxtest::FileExists(scratch)) << scratch << " survived the restart";
}

}  // namespace
