// Language and platform as the running system reports them. This program runs under
// LC_ALL=fr_FR, ja_JP and en_US, so Wine reports each language for real.
#include <gtest/gtest.h>

#include <string>

#include "environment.h"
#include "setup_texts.h"

namespace {

std::string Environment(const char* name) {
    char value[256] = {};
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

TEST(Language, DisplayNameFollowsTheSystemsDefaultLanguage) {
    // The harness picks the language through LC_ALL; make sure Wine took it, or the test
    // below would only check one language three times.
    std::string locale = Environment("LC_ALL");
    LANGID lang = GetSystemDefaultLangID();
    if (locale.rfind("ja_JP", 0) == 0) {
        EXPECT_EQ(0x0411, lang) << "LC_ALL=" << locale;
    }
    if (locale.rfind("fr_FR", 0) == 0) {
        EXPECT_EQ(0x040C, lang) << "LC_ALL=" << locale;
    }
    if (locale.rfind("en_US", 0) == 0) {
        EXPECT_EQ(0x0409, lang) << "LC_ALL=" << locale;
    }

    ChooseProductDisplayName();
    if (lang == 0x0411) {
        EXPECT_TRUE(IsJapaneseSystem());
        EXPECT_EQ(std::string(Texts::ProductNameJapanese), ProductDisplayName);
    } else {
        EXPECT_FALSE(IsJapaneseSystem()) << "language " << std::hex << lang;
        EXPECT_EQ("VelluMax", ProductDisplayName) << "language " << std::hex << lang;
    }
}

TEST(Platform, NtFamilyByDefault) {
    EXPECT_TRUE(IsWindowsNT());
}

TEST(SystemFolders, FilledFromTheSystem) {
    FillSystemFolders();
    char system[MAX_PATH] = {}, windows[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_STREQ(system, SystemDir);
    EXPECT_STREQ(windows, WindowsDir);
    EXPECT_NE('\\', WindowsDir[strlen(WindowsDir) - 1]) << WindowsDir;
}

}  // namespace
