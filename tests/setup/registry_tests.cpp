// TRegistry against Wine's real registry, under a key of HKEY_CURRENT_USER that each test
// makes for itself and removes again.
#include <gtest/gtest.h>

#include <string>

#include "errors.h"
#include "registry.h"
#include "setup_test_support.h"
#include "setup_texts.h"

namespace {

using setuptest::CreateKey;
using setuptest::KeyExists;
using setuptest::ReadValue;
using setuptest::ScopedTestKey;
using setuptest::SetStringValue;
using setuptest::SubKeyCount;

const HKEY HKCU = HKEY_CURRENT_USER;

// The path with a leading backslash: resolved against the root whatever key is open.
std::string Absolute(const std::string& path) {
    return std::string("\\").append(path);
}

TEST(OpenPath, RelativePathsFollowTheOpenKeyAbsolutePathsTheRoot) {
    ScopedTestKey test;
    TRegistry reg;
    EXPECT_EQ(HKCU, reg.Root);
    EXPECT_EQ(nullptr, reg.CurrentHandle);

    // No key open: a relative path resolves against the root.
    ASSERT_TRUE(reg.OpenPath(test.Path(), true));
    EXPECT_NE(nullptr, reg.CurrentHandle);
    EXPECT_EQ(test.Path(), reg.CurrentKeyPath);

    // A key open: a relative path resolves against it, and the paths are joined.
    ASSERT_TRUE(reg.OpenPath("child", true));
    EXPECT_TRUE(KeyExists(HKCU, test.Sub("child")));
    EXPECT_EQ(test.Sub("child"), reg.CurrentKeyPath);
    ASSERT_TRUE(reg.OpenPath("deeper\\still", true));
    EXPECT_TRUE(KeyExists(HKCU, test.Sub("child\\deeper\\still")));
    EXPECT_EQ(test.Sub("child\\deeper\\still"), reg.CurrentKeyPath);

    // A leading backslash resolves against the root even with a key open, and is dropped.
    ASSERT_TRUE(reg.OpenPath(Absolute(test.Sub("other")), true));
    EXPECT_TRUE(KeyExists(HKCU, test.Sub("other")));
    EXPECT_FALSE(KeyExists(HKCU, test.Sub("child\\deeper\\still\\" + test.Path())));
    EXPECT_EQ(test.Sub("other"), reg.CurrentKeyPath);

    // Opening without creation finds existing keys the same ways.
    reg.ClosePath();
    EXPECT_EQ(nullptr, reg.CurrentHandle);
    EXPECT_EQ("", reg.CurrentKeyPath);
    ASSERT_TRUE(reg.OpenPath(Absolute(test.Sub("child")), false));
    ASSERT_TRUE(reg.OpenPath("deeper", false));
    EXPECT_EQ(test.Sub("child\\deeper"), reg.CurrentKeyPath);
    reg.PutString("", "here");
    EXPECT_EQ(std::string("here\0", 5), ReadValue(HKCU, test.Sub("child\\deeper"), "").bytes);
}

TEST(OpenPath, FailureKeepsTheCurrentKeyOpenAndCurrent) {
    ScopedTestKey test;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenPath(test.Path(), false));
    HKEY before = reg.CurrentHandle;

    EXPECT_FALSE(reg.OpenPath("missing", false));
    EXPECT_FALSE(reg.OpenPath("\\Software\\VmxNoSuchKey\\" + test.Path(), false));
    EXPECT_FALSE(KeyExists(HKCU, test.Sub("missing"))) << "an open without creation created";
    EXPECT_EQ(before, reg.CurrentHandle);
    EXPECT_EQ(test.Path(), reg.CurrentKeyPath);
    // The handle still works: the write lands in the key that was open.
    reg.PutString("Kept", "yes");
    EXPECT_TRUE(ReadValue(HKCU, test.Path(), "Kept").found);
}

TEST(OpenPath, EmptyPathOpensTheBaseKeyAgainWithoutCreating) {
    ScopedTestKey test;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenPath(test.Path(), false));
    HKEY first = reg.CurrentHandle;

    ASSERT_TRUE(reg.OpenPath("", true));
    EXPECT_NE(first, reg.CurrentHandle) << "expected a new handle on the same key";
    EXPECT_EQ(test.Path() + "\\", reg.CurrentKeyPath);
    EXPECT_EQ(0u, SubKeyCount(HKCU, test.Path())) << "an empty path created a key";
    reg.PutString("", "default");
    EXPECT_EQ(std::string("default\0", 8), ReadValue(HKCU, test.Path(), "").bytes);
}

TEST(SelectRoot, SameRootKeepsTheKeyAnotherRootClosesIt) {
    ScopedTestKey test;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenPath(test.Path(), false));
    HKEY open = reg.CurrentHandle;

    reg.SelectRoot(HKEY_CURRENT_USER);
    EXPECT_EQ(open, reg.CurrentHandle);
    EXPECT_EQ(test.Path(), reg.CurrentKeyPath);

    reg.SelectRoot(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, reg.Root);
    EXPECT_EQ(nullptr, reg.CurrentHandle);
    EXPECT_EQ("", reg.CurrentKeyPath);
    // Paths now resolve against the new root.
    EXPECT_FALSE(reg.OpenPath(test.Path(), false));
}

TEST(PutString, StoresTheTextWithItsNul) {
    ScopedTestKey test;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenPath(test.Path(), false));
    reg.PutString("", Texts::DiskInfoLabelFrench);
    reg.PutString("Label", Texts::DiskInfoLabelJapanese);
    reg.PutString("Empty", "");

    setuptest::ValueRead value = ReadValue(HKCU, test.Path(), "");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    EXPECT_EQ(std::string("&Infos disque\0", 14), value.bytes);
    EXPECT_EQ(std::string(Texts::DiskInfoLabelJapanese, sizeof Texts::DiskInfoLabelJapanese),
              ReadValue(HKCU, test.Path(), "Label").bytes);
    EXPECT_EQ(std::string("\0", 1), ReadValue(HKCU, test.Path(), "Empty").bytes);
}

TEST(PutString, FailureRaisesERegistryExceptionNamingTheValue) {
    TRegistry reg;
    try {
        reg.PutString("", "x");
        ADD_FAILURE() << "a write with no key open did not raise";
    } catch (const ERegistryException& e) {
        EXPECT_EQ("Failed to set data for ''", e.Message());
        EXPECT_STREQ("ERegistryException", e.ClassName());
    }

    // A key removed behind the open handle refuses the write for real.
    ScopedTestKey test;
    CreateKey(HKCU, test.Sub("gone"));
    ASSERT_TRUE(reg.OpenPath(test.Sub("gone"), false));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKCU, test.Sub("gone").c_str()));
    try {
        reg.PutString("Label", "x");
        ADD_FAILURE() << "a write into a removed key did not raise";
    } catch (const ERegistryException& e) {
        EXPECT_EQ("Failed to set data for 'Label'", e.Message());
    }
}

// a, b, c under the tree; a and b with children of their own; values here and there.
void MakeTree(const std::string& tree) {
    SetStringValue(HKCU, tree, "", "top");
    SetStringValue(HKCU, tree + "\\a\\a1\\a1x", "v", "1");
    SetStringValue(HKCU, tree + "\\a\\a2", "", "2");
    CreateKey(HKCU, tree + "\\a\\a3");
    SetStringValue(HKCU, tree + "\\b\\b1", "w", "3");
    CreateKey(HKCU, tree + "\\b\\b2\\b2x\\b2y");
    CreateKey(HKCU, tree + "\\c");
}

TEST(RemoveTree, RemovesADeepTreeAndNothingBeside) {
    ScopedTestKey test;
    MakeTree(test.Sub("tree"));
    SetStringValue(HKCU, test.Sub("tree-sibling\\inner"), "", "stay");

    TRegistry reg;
    EXPECT_TRUE(reg.RemoveTree(test.Sub("tree")));
    EXPECT_FALSE(KeyExists(HKCU, test.Sub("tree")));
    EXPECT_TRUE(KeyExists(HKCU, test.Sub("tree-sibling\\inner")));
    EXPECT_TRUE(KeyExists(HKCU, test.Path()));

    // A key that is not there: false, nothing changes.
    EXPECT_FALSE(reg.RemoveTree(test.Sub("tree")));
    EXPECT_FALSE(reg.RemoveTree(test.Sub("tree-sibling\\nothing")));
    EXPECT_TRUE(KeyExists(HKCU, test.Sub("tree-sibling\\inner")));
}

TEST(RemoveTree, LeavesTheCurrentKeyAsItWas) {
    ScopedTestKey test;
    MakeTree(test.Sub("tree"));
    MakeTree(test.Sub("other"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenPath(test.Path(), false));
    HKEY open = reg.CurrentHandle;

    // Relative: resolved against the open key.
    EXPECT_TRUE(reg.RemoveTree("tree"));
    EXPECT_FALSE(KeyExists(HKCU, test.Sub("tree")));
    EXPECT_EQ(open, reg.CurrentHandle);
    EXPECT_EQ(test.Path(), reg.CurrentKeyPath);

    // Absolute: resolved against the root, the open key untouched.
    EXPECT_TRUE(reg.RemoveTree(Absolute(test.Sub("other"))));
    EXPECT_FALSE(KeyExists(HKCU, test.Sub("other")));
    EXPECT_EQ(open, reg.CurrentHandle);
    EXPECT_EQ(test.Path(), reg.CurrentKeyPath);

    // The open handle still works.
    reg.PutString("After", "x");
    EXPECT_TRUE(ReadValue(HKCU, test.Path(), "After").found);
}

TEST(RemoveTree, RefusesAnEmptyPath) {
    ScopedTestKey test;
    MakeTree(test.Sub("tree"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenPath(test.Sub("tree"), false));

    // With a key open, "" would name that key itself and "\" the whole root.
    EXPECT_FALSE(reg.RemoveTree(""));
    EXPECT_FALSE(reg.RemoveTree("\\"));
    EXPECT_TRUE(KeyExists(HKCU, test.Sub("tree\\a\\a1\\a1x")));
    EXPECT_TRUE(KeyExists(HKCU, test.Sub("tree\\c")));
    EXPECT_EQ(3u, SubKeyCount(HKCU, test.Sub("tree")));
    EXPECT_TRUE(KeyExists(HKCU, test.Path()));
}

TEST(RemoveTree, RemovesSubkeysWithDoubleByteNames) {
    // Under code page 932 these bytes are four characters but eight bytes: the longest-name
    // figure the registry reports in characters is too short for the name in bytes.
    ScopedTestKey test;
    const std::string name = "\x95\x5C\x83\x65\x83\x58\x83\x67";
    CreateKey(HKCU, test.Sub("tree\\" + name + "\\" + name));
    CreateKey(HKCU, test.Sub("tree\\ab"));
    TRegistry reg;
    EXPECT_TRUE(reg.RemoveTree(test.Sub("tree"))) << "code page " << GetACP();
    EXPECT_FALSE(KeyExists(HKCU, test.Sub("tree")));
}

TEST(KeyInfo, CountsAndChildKeys) {
    ScopedTestKey test;
    TRegistry reg;
    KeyInfo info;
    EXPECT_FALSE(reg.HasChildKeys()) << "no key open";
    EXPECT_FALSE(reg.QueryKeyInfo(info)) << "no key open";

    ASSERT_TRUE(reg.OpenPath(test.Path(), false));
    EXPECT_FALSE(reg.HasChildKeys());
    SetStringValue(HKCU, test.Path(), "Name", "value");
    CreateKey(HKCU, test.Sub("abc"));
    CreateKey(HKCU, test.Sub("abcdefg"));
    EXPECT_TRUE(reg.HasChildKeys());
    ASSERT_TRUE(reg.QueryKeyInfo(info));
    EXPECT_EQ(2u, info.SubKeyCount);
    EXPECT_EQ(7u, info.MaxSubKeyNameLength);
    EXPECT_EQ(1u, info.ValueCount);
    EXPECT_EQ(4u, info.MaxValueNameLength);
}

}  // namespace
