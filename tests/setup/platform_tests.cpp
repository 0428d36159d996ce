// The Windows 95 family for real: Wine reports platform id 1 to a 32-bit program whose
// AppDefaults key says "win98". Each run uses a copy of the child under a name of its own,
// so runs in parallel never share the setting.
#include <gtest/gtest.h>

#include "child_process.h"
#include "setup_test_support.h"
#include "test_files.h"

namespace {

const int kNtFamily = 20;
const int kWindows95Family = 10;

std::string CopyOfChild(const vmxtest::TempFolder& folder, std::string& name) {
    name = setuptest::UniqueName("vmxplat") + ".exe";
    std::string copy = folder.File(name);
    std::string child = vmxtest::ProgramFolder() + "platform_child.exe";
    if (!CopyFileA(child.c_str(), copy.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + child);
    return copy;
}

TEST(Platform, Windows98SettingMakesIsWindowsNTFalse) {
    vmxtest::TempFolder folder;
    std::string name;
    std::string child = CopyOfChild(folder, name);
    std::string key = "Software\\Wine\\AppDefaults\\" + name;
    setuptest::KeyCleanup cleanup(HKEY_CURRENT_USER, key);
    setuptest::SetStringValue(HKEY_CURRENT_USER, key, "Version", "win98");

    EXPECT_EQ(kWindows95Family, vmxtest::RunAndWait("\"" + child + "\""))
        << "expected IsWindowsNT false (exit code " << kWindows95Family << ") under win98";
}

TEST(Platform, WithoutTheSettingTheChildIsNt) {
    vmxtest::TempFolder folder;
    std::string name;
    std::string child = CopyOfChild(folder, name);
    EXPECT_EQ(kNtFamily, vmxtest::RunAndWait("\"" + child + "\""))
        << "expected IsWindowsNT true (exit code " << kNtFamily << ")";
}

}  // namespace
