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

using Names = std::vector<std::string>;

std::wstring Data(const std::vector<std::wstring>& names) {
    std::wstring data;
    for (const std::wstring& name : names) data += name + std::wstring(1, L'\0');
    return data + std::wstring(1, L'\0');
}

// The value's UTF-16 text with its NULs shown as '|', for messages.
std::string Shown(const std::wstring& data) {
    std::string shown;
    for (wchar_t c : data) shown += c == 0 ? '|' : c < 0x80 ? static_cast<char>(c) : '#';
    return shown;
}

const std::wstring kOurs = L"C:\\windows\\syswow64\\Shellext\\vmxinst.exe";
const std::wstring kFolder = L"C:\\windows\\syswow64\\Shellext";

TEST(PendingRenamesEdit, RemovesEveryDeletionOfTheNamedFilesAndFoldersWhateverTheCase) {
    PendingRenamesEdit edit = WithoutPendingDeletionsOf(
        Data({L"\\??\\C:\\a.tmp", L"", L"\\??\\" + kOurs, L"", L"\\??\\C:\\x.dll",
              L"!\\??\\C:\\y.dll", L"\\??\\C:\\WINDOWS\\SysWOW64\\SHELLEXT\\VMXINST.EXE", L"",
              L"\\??\\" + kFolder, L""}),
        {kOurs, kFolder});
    EXPECT_TRUE(edit.changed);
    EXPECT_FALSE(edit.empty);
    EXPECT_EQ(Shown(Data({L"\\??\\C:\\a.tmp", L"", L"\\??\\C:\\x.dll", L"!\\??\\C:\\y.dll"})),
              Shown(edit.data));
}

TEST(PendingRenamesEdit, KeepsRenamesOfTheFileAndOtherFiles) {
    const std::wstring data =
        Data({L"\\??\\" + kOurs, L"\\??\\C:\\kept.exe", L"\\??\\" + kOurs + L".old", L"",
              L"\\??\\C:\\windows\\system32\\Shellext\\vmxinst.exe", L""});
    PendingRenamesEdit edit = WithoutPendingDeletionsOf(data, {kOurs});
    EXPECT_FALSE(edit.changed);
    EXPECT_EQ(Shown(data), Shown(edit.data));
}

TEST(PendingRenamesEdit, ReportsWhenNothingIsLeft) {
    PendingRenamesEdit edit = WithoutPendingDeletionsOf(Data({kOurs, L""}), {kOurs});
    EXPECT_TRUE(edit.changed) << "a source without the \\??\\ prefix names the file too";
    EXPECT_TRUE(edit.empty);
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

    CancelPendingRestartDeletes({ours});

    Names expected = {before[0], before[1], before[4], before[5], before[8], before[9]};
    EXPECT_EQ(expected, flowtest::PendingRenames());
}

// Another program's names are read and written back in UTF-16: one outside the code page
// comes through as it was, where the ANSI functions would have turned it into '?'.
TEST_F(PendingRenamesValue, NamesOutsideTheCodePageComeThroughUnchanged) {
    const std::wstring name = L"\u0416\u0443\u0440\u043D\u0430\u043B \u65E5\u8A18.tmp";  // Журнал 日記.tmp
    const std::wstring wideFolder(folder_.Path().begin(), folder_.Path().end());
    const std::wstring other = wideFolder + L"\\" + name;
    HANDLE file = CreateFileW(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot create the file named outside the code page";
    CloseHandle(file);
    ASSERT_TRUE(MoveFileExW(other.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    const std::string ours = Scratch("vmxinst.exe");
    Plant(ours);
    const setuptest::ValueRead before = setuptest::ReadValueW(
        flowtest::HKLM, flowtest::kSessionManager, "PendingFileRenameOperations");

    CancelPendingRestartDeletes({ours});

    const setuptest::ValueRead after = setuptest::ReadValueW(
        flowtest::HKLM, flowtest::kSessionManager, "PendingFileRenameOperations");
    const std::wstring expected = Data({L"\\??\\" + other, L""});
    ASSERT_TRUE(after.found);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(expected.data()),
                          expected.size() * sizeof(wchar_t)),
              after.bytes)
        << "another program's pending deletion changed (before: " << before.bytes.size()
        << " bytes)";
}

TEST_F(PendingRenamesValue, ValueGoesWithItsLastEntry) {
    const std::string ours = Scratch("vmxinst.exe");
    Plant(ours);
    ASSERT_TRUE(flowtest::PendingRenamesPresent());

    CancelPendingRestartDeletes({ours});

    EXPECT_FALSE(flowtest::PendingRenamesPresent()) << "an empty value was left";
}

TEST_F(PendingRenamesValue, NoValueStaysNoValue) {
    ASSERT_FALSE(flowtest::PendingRenamesPresent());
    CancelPendingRestartDeletes({folder_.File("vmxinst.exe")});
    EXPECT_FALSE(flowtest::PendingRenamesPresent());
}

}  // namespace
