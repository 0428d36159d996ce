// The viewer's command line: how it is split, which forms are accepted, and what the user
// is told, in the system's language, about the ones that are not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.h"
#include "language.h"
#include "quoted.h"
#include "scoped_override.h"
#include "system_calls.h"
#include "test_files.h"
#include "viewer_session.h"

namespace {

using Args = std::vector<std::string>;

TEST(SplitArguments, QuotesGroupAndAreRemoved) {
    EXPECT_EQ((Args{"C:\\My Files\\a b.txt"}), SplitArguments("\"C:\\My Files\\a b.txt\""));
    EXPECT_EQ((Args{"C:\\x\\y.txt", "/f", "C:\\Temp\\VM12.tmp"}),
              SplitArguments("\"C:\\x\\y.txt\" /f \"C:\\Temp\\VM12.tmp\""));
    EXPECT_EQ((Args{"C:\\a b\\c"}), SplitArguments("C:\\\"a b\"\\c"));
    EXPECT_EQ((Args{"a", "b"}), SplitArguments("  a \t b\t "));
    EXPECT_EQ((Args{""}), SplitArguments("\"\""));
    EXPECT_EQ((Args{"x", "", "y"}), SplitArguments("x \"\" y"));
    EXPECT_EQ((Args{"unterminated quote"}), SplitArguments("\"unterminated quote"));
    EXPECT_EQ(Args{}, SplitArguments("   "));
    EXPECT_EQ(Args{}, SplitArguments(nullptr));
}

TEST(SplitArguments, BackslashesStayAsTheyAre) {
    // The disk verb passes a drive as "C:\": the quote after the backslash still closes.
    EXPECT_EQ((Args{"C:\\", "/dinfo"}), SplitArguments("\"C:\\\" /dinfo"));
    EXPECT_EQ((Args{"\\\\server\\share\\", "/dinfo"}),
              SplitArguments("\"\\\\server\\share\\\" /dinfo"));
    // Japanese names whose second byte is 0x5C: 表 (95 5C) and ソ (83 5C).
    EXPECT_EQ((Args{"C:\\\x95\\\\\x83\\ a.txt"}), SplitArguments("\"C:\\\x95\\\\\x83\\ a.txt\""));
}

TEST(SkipProgramName, LeavesTheArgumentsOnly) {
    EXPECT_STREQ("\"C:\\x.txt\"",
                 SkipProgramName("\"C:\\Program Files\\vmxtool.exe\" \"C:\\x.txt\""));
    EXPECT_STREQ("a /dinfo", SkipProgramName("SHELLEXT\\vmxtool.exe   a /dinfo"));
    EXPECT_STREQ("", SkipProgramName("vmxtool.exe"));
    EXPECT_STREQ("", SkipProgramName("\"C:\\dir with space\\vmxtool.exe\""));
    EXPECT_STREQ("", SkipProgramName(nullptr));
}

TEST(ParseViewerArguments, AcceptsTheThreeForms) {
    ViewerRequest one = ParseViewerArguments({"C:\\x\\y.txt"});
    EXPECT_EQ(ArgumentError::None, one.error);
    EXPECT_EQ(ViewerMode::Items, one.mode);
    EXPECT_EQ("C:\\x\\y.txt", one.path);

    ViewerRequest list = ParseViewerArguments({"C:\\b.txt", "/f", "C:\\Temp\\VM1.tmp"});
    EXPECT_EQ(ArgumentError::None, list.error);
    EXPECT_EQ(ViewerMode::List, list.mode);
    EXPECT_EQ("C:\\b.txt", list.path);
    EXPECT_EQ("C:\\Temp\\VM1.tmp", list.listFile);

    ViewerRequest disk = ParseViewerArguments({"D:\\", "/dinfo"});
    EXPECT_EQ(ArgumentError::None, disk.error);
    EXPECT_EQ(ViewerMode::DiskInfo, disk.mode);
    EXPECT_EQ("D:\\", disk.path);

    // Switches are not case-sensitive, as usual on Windows.
    EXPECT_EQ(ViewerMode::List, ParseViewerArguments({"a", "/F", "l"}).mode);
    EXPECT_EQ(ViewerMode::DiskInfo, ParseViewerArguments({"a", "/DInfo"}).mode);
}

TEST(ParseViewerArguments, RefusesEverythingElse) {
    struct Case {
        Args args;
        ArgumentError expected;
    } cases[] = {
        {{}, ArgumentError::MissingPath},
        {{""}, ArgumentError::MissingPath},
        {{"/dinfo"}, ArgumentError::MissingPath},
        {{"/f", "list"}, ArgumentError::MissingPath},
        {{"/x"}, ArgumentError::UnknownSwitch},
        {{"a", "/x"}, ArgumentError::UnknownSwitch},
        {{"a", "/fx", "l"}, ArgumentError::UnknownSwitch},
        {{"a", "/dinfo2"}, ArgumentError::UnknownSwitch},
        {{"a", "/f"}, ArgumentError::ListNameMissing},
        {{"a", "/f", ""}, ArgumentError::ListNameMissing},
        {{"a", "b"}, ArgumentError::TooManyArguments},
        {{"a", "/dinfo", "b"}, ArgumentError::TooManyArguments},
        {{"a", "/f", "l", "extra"}, ArgumentError::TooManyArguments},
        {{"a", "b", "c", "d"}, ArgumentError::TooManyArguments},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += "[" + a + "]";
        EXPECT_EQ(static_cast<int>(c.expected),
                  static_cast<int>(ParseViewerArguments(c.args).error))
            << "arguments " << shown;
    }
    EXPECT_EQ("/x", ParseViewerArguments({"a", "/x"}).unknownSwitch);
}

// Message boxes are answered here: without a display they would return at once, with one
// they would wait for a user.
struct ShownMessage {
    int count = 0;
    std::string text;
    std::string caption;
    UINT style = 0;
};
ShownMessage g_shown;

int WINAPI RecordMessage(HWND, LPCSTR text, LPCSTR caption, UINT style) {
    ++g_shown.count;
    g_shown.text = text;
    g_shown.caption = caption;
    g_shown.style = style;
    return IDOK;
}

bool RunsUnderJapaneseLocale() {
    const char* locale = std::getenv("LC_ALL");
    return locale != nullptr && std::string(locale).rfind("ja", 0) == 0;
}

TEST(ViewerLanguage, JapaneseOnlyOnAJapaneseSystem) {
    const ViewerTexts& expected = RunsUnderJapaneseLocale() ? kJapaneseTexts : kFrenchTexts;
    EXPECT_EQ(&expected, &SystemTexts())
        << "LC_ALL=" << (std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "(unset)")
        << ", system language 0x" << std::hex << GetSystemDefaultLangID();
}

TEST(RefusedCommandLine, TellsTheUserWhatIsWrongInTheSystemLanguage) {
    const ViewerTexts& texts = SystemTexts();
    struct Case {
        const char* arguments;
        std::string expectedStart;
    } cases[] = {
        {"", texts.MissingPathError},
        {"\"\"", texts.MissingPathError},
        {"/dinfo", texts.MissingPathError},
        {"\"C:\\x\" /q", std::string(texts.UnknownSwitchError) + "/q"},
        {"\"C:\\x\" /f", texts.ListNameMissingError},
        {"\"C:\\x\" /dinfo extra", texts.TooManyArgumentsError},
        {"\"C:\\x\" \"C:\\y\"", texts.TooManyArgumentsError},
    };
    for (const Case& c : cases) {
        g_shown = ShownMessage();
        vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &RecordMessage);
        ViewerStart start = PrepareViewer(c.arguments, texts);
        EXPECT_EQ(ViewerShow::Nothing, start.show) << c.arguments;
        EXPECT_EQ(kExitBadCommandLine, start.exitCode) << c.arguments;
        ASSERT_EQ(1, g_shown.count) << "one message box expected for: " << c.arguments;
        EXPECT_EQ(c.expectedStart + texts.UsageHelp, g_shown.text)
            << "for " << c.arguments << " got " << vmxtest::Escaped(g_shown.text);
        EXPECT_STREQ(texts.ProductName, g_shown.caption.c_str());
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), g_shown.style & MB_ICONMASK);
    }
}

TEST(RefusedCommandLine, AValidLineShowsNoMessage) {
    vmxtest::TempFolder folder;
    g_shown = ShownMessage();
    vmxtest::ScopedOverride box(ViewerCalls.MessageBoxA, &RecordMessage);
    ViewerStart start = PrepareViewer(viewertest::Quoted(folder.Path()).c_str(), SystemTexts());
    EXPECT_EQ(ViewerShow::Items, start.show);
    EXPECT_EQ(0, g_shown.count) << "unexpected message: " << vmxtest::Escaped(g_shown.text);
}

}  // namespace
