// Cancelling a pending restart deletion in PendingFileRenameOperations: the edit on the
// value's bytes, then on the real value of the test prefix, filled by MoveFileExA itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow_test_support.h"
#include "pending_renames.h"
#include "setup_test_support.h"
#include "test_files.h"

namespace {

using vmxtest::Escaped;
using Names = std::vector<std::string>;

std::string Data(const Names& names) {
    std::string data;
    for (const std::string& name : names) data += name + std::string(1, '\0');
    return data + std::string(1, '\0');
}

const std::string kOurs = "C:\\windows\\syswow64\\Shellext\\vmxinst.exe";

TEST(PendingRenamesEdit, RemovesEveryDeletionOfTheFileWhateverTheCase) {
    PendingRenamesEdit edit = WithoutPendingDeletionOf(
        Data({"\\??\\C:\\a.tmp", "", "\\??\\" + kOurs, "", "\\??\\C:\\x.dll", "!\\??\\C:\\y.dll",
              "\\??\\C:\\WINDOWS\\SysWOW64\\SHELLEXT\\VMXINST.EXE", ""}),
        kOurs);
    EXPECT_TRUE(edit.changed);
    EXPECT_FALSE(edit.empty);
    EXPECT_EQ(Escaped(Data({"\\??\\C:\\a.tmp", "", "\\??\\C:\\x.dll", "!\\??\\C:\\y.dll"})),
              Escaped(edit.data));
}

TEST(PendingRenamesEdit, KeepsRenamesOfTheFileAndOtherFiles) {
    const std::string data =
        Data({"\\??\\" + kOurs, "\\??\\C:\\kept.exe", "\\??\\" + kOurs + ".old", "",
              "\\??\\C:\\windows\\system32\\Shellext\\vmxinst.exe", ""});
    PendingRenamesEdit edit = WithoutPendingDeletionOf(data, kOurs);
    EXPECT_FALSE(edit.changed);
    EXPECT_EQ(Escaped(data), Escaped(edit.data));
}

TEST(PendingRenamesEdit, ReportsWhenNothingIsLeft) {
    PendingRenamesEdit edit = WithoutPendingDeletionOf(Data({kOurs, ""}), kOurs);
    EXPECT_TRUE(edit.changed) << "a source without the \\??\\ prefix names the file too";
    EXPECT_TRUE(edit.empty);
}

TEST(PendingRenamesEdit, LeavesDataAloneWhenANameLostCharacters) {
    // What the ANSI reading gives for a name with characters outside the code page.
    const std::string data = Data({"\\??\\C:\\caf?.txt", "", "\\??\\" + kOurs, ""});
    PendingRenamesEdit edit = WithoutPendingDeletionOf(data, kOurs);
    EXPECT_FALSE(edit.changed) << "writing back would rename another program's file";
    EXPECT_EQ(Escaped(data), Escaped(edit.data));
}

class PendingRenamesValue : public ::testing::Test {
protected:
    std::string Scratch(const std::string& name) {
        std::string path = folder_.File(name);
        vmxtest::WriteFileBytes(path, "x");
        return path;
    }
    static void Plant(const std::string& source, const char* target = nullptr) {
        ASSERT_TRUE(MoveFileExA(source.c_str(), target, MOVEFILE_DELAY_UNTIL_REBOOT))
            << "MoveFileExA " << source << " error " << GetLastError();
    }

    flowtest::ProductStateGuard guard_;  // puts the value back as it was
    vmxtest::TempFolder folder_;
};

TEST_F(PendingRenamesValue, OnlyTheDeletionsOfThatFileGo) {
    const std::string first = Scratch("first.tmp");
    const std::string ours = Scratch("vmxinst.exe");
    const std::string renamed = Scratch("renamed.tmp");
    const std::string last = Scratch("last.tmp");
    Plant(first);
    Plant(ours);
    Plant(renamed, folder_.File("renamed.new").c_str());
    Plant(ours);
    Plant(last);
    Names before = flowtest::PendingRenames();
    ASSERT_EQ(10u, before.size());

    CancelPendingRestartDelete(ours);

    Names expected = {before[0], before[1], before[4], before[5], before[8], before[9]};
    EXPECT_EQ(expected, flowtest::PendingRenames());
}

TEST_F(PendingRenamesValue, ValueGoesWithItsLastEntry) {
    const std::string ours = Scratch("vmxinst.exe");
    Plant(ours);
    ASSERT_TRUE(flowtest::PendingRenamesPresent());

    CancelPendingRestartDelete(ours);

    EXPECT_FALSE(flowtest::PendingRenamesPresent()) << "an empty value was left";
}

TEST_F(PendingRenamesValue, NoValueStaysNoValue) {
    ASSERT_FALSE(flowtest::PendingRenamesPresent());
    CancelPendingRestartDelete(folder_.File("vmxinst.exe"));
    EXPECT_FALSE(flowtest::PendingRenamesPresent());
}

}  // namespace
