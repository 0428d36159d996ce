// The two removal procedures on the real HKEY_CLASSES_ROOT of the test prefix, with the
// flush and the three-second pause scripted so that they can be seen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registration_removal.h"
#include "scoped_override.h"
#include "setup_test_support.h"
#include "system_calls.h"

namespace {

using setuptest::KeyCleanup;
using setuptest::KeyExists;
using setuptest::SetStringValue;

const HKEY HKCR = HKEY_CLASSES_ROOT;
const std::string kClass = "CLSID\\{0b95b7e0-c8b9-11cf-8f59-444553540000}";
const std::string kFileHandler = "*\\ShellEx\\ContextMenuHandlers\\VelluMax";
const std::string kFolderHandler = "folder\\ShellEx\\ContextMenuHandlers\\VelluMax";
const std::string kDriveVerb = "Drive\\shell\\DiskInfoByVmax";
const std::string kDirectoryVerb = "Directory\\shell\\DiskInfoByVmax";
const std::string kFolderVerb = "folder\\shell\\DiskInfoByVmax";

std::vector<std::string> g_calls;

LONG WINAPI RecordFlush(HKEY key) {
    g_calls.push_back(key == HKCR ? "flush HKCR" : "flush other");
    return ERROR_SUCCESS;
}

void WINAPI RecordSleep(DWORD ms) {
    g_calls.push_back("sleep " + std::to_string(ms));
}

class RegistrationRemoval : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    vmxtest::ScopedOverride<decltype(SystemCalls.RegFlushKey)> flush_{SystemCalls.RegFlushKey,
                                                                      &RecordFlush};
    vmxtest::ScopedOverride<decltype(SystemCalls.Sleep)> sleep_{SystemCalls.Sleep, &RecordSleep};
};

TEST_F(RegistrationRemoval, RemovesClassAndHandlersThenFlushesAndPauses) {
    KeyCleanup c1(HKCR, kClass), c2(HKCR, kFileHandler), c3(HKCR, kFolderHandler);
    const std::string neighbour = "*\\ShellEx\\ContextMenuHandlers\\VmxTestNeighbour";
    KeyCleanup c4(HKCR, neighbour);
    SetStringValue(HKCR, kClass, "", "VelluMax");
    SetStringValue(HKCR, kClass + "\\InprocServer32", "ThreadingModel", "Apartment");
    SetStringValue(HKCR, kFileHandler, "", "{0b95b7e0-c8b9-11cf-8f59-444553540000}");
    SetStringValue(HKCR, kFolderHandler, "", "{0b95b7e0-c8b9-11cf-8f59-444553540000}");
    SetStringValue(HKCR, neighbour, "", "{00000000-0000-0000-0000-000000000000}");
    // 64-bit Windows keeps a class in each view: the other one's is reached by its name.
    const REGSAM other = setuptest::OtherRegistryView();
    if (other) SetStringValue(HKCR, kClass + "\\InprocServer32", "", "other.dll", other);

    RemoveShellExtensionRegistration();

    if (other && KeyExists(HKCR, kClass, other)) {
        ADD_FAILURE() << "the class stayed in the other registry view (" << other << ")";
        HKEY key;
        if (RegOpenKeyExA(HKCR, kClass.c_str(), 0, KEY_ALL_ACCESS | other, &key) == ERROR_SUCCESS) {
            RegDeleteTreeA(key, nullptr);
            RegCloseKey(key);
        }
        RegDeleteKeyExA(HKCR, kClass.c_str(), other, 0);
    }
    EXPECT_FALSE(KeyExists(HKCR, kClass));
    EXPECT_FALSE(KeyExists(HKCR, kFileHandler));
    EXPECT_FALSE(KeyExists(HKCR, kFolderHandler));
    EXPECT_TRUE(KeyExists(HKCR, neighbour)) << "another handler went too";
    EXPECT_EQ((std::vector<std::string>{"flush HKCR", "sleep 3000"}), g_calls);
}

TEST_F(RegistrationRemoval, FlushesAndPausesAlsoWhenNothingWasThere) {
    ASSERT_FALSE(KeyExists(HKCR, kClass));
    RemoveShellExtensionRegistration();
    EXPECT_EQ((std::vector<std::string>{"flush HKCR", "sleep 3000"}), g_calls);
}

TEST_F(RegistrationRemoval, DiskInfoVerbsGoFromDrivesAndDirectoriesOnly) {
    KeyCleanup c1(HKCR, kDriveVerb), c2(HKCR, kDirectoryVerb), c3(HKCR, kFolderVerb);
    const std::string otherVerb = "Drive\\shell\\VmxTestOtherVerb";
    KeyCleanup c4(HKCR, otherVerb);
    for (const std::string& verb : {kDriveVerb, kDirectoryVerb, kFolderVerb}) {
        SetStringValue(HKCR, verb, "", "&Infos disque");
        SetStringValue(HKCR, verb + "\\command", "", "C:\\vmxtool.exe \"%1\" /dinfo");
    }
    SetStringValue(HKCR, otherVerb + "\\command", "", "x");

    RemoveDiskInfoVerbs();

    EXPECT_FALSE(KeyExists(HKCR, kDriveVerb));
    EXPECT_FALSE(KeyExists(HKCR, kDirectoryVerb));
    EXPECT_TRUE(KeyExists(HKCR, kFolderVerb + "\\command")) << "the folder verb is not this one's";
    EXPECT_TRUE(KeyExists(HKCR, otherVerb + "\\command"));
    EXPECT_TRUE(g_calls.empty()) << "no flush and no pause expected, got " << g_calls.size();
}

}  // namespace
