// Starting the viewer from a captured selection, with the viewer start recorded instead of
// made: the two command lines, the list file's place and bytes, and every way the launch
// can meet a failing system without starting the viewer on something wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch_fixture.h"
#include "viewer_launch.h"

namespace launchtest {
namespace {

using vmxtest::Escaped;
using vmxtest::ReadFileBytes;

// ---- One path: on the command line, no file ----

TEST_F(LaunchTest, OnePathGoesWholeOnTheCommandLineAndNoFileIsWritten) {
    std::string longest = PathOfLength(259);
    for (const std::string& path : {std::string("C:\\x\\y.txt"), longest}) {
        Selection one({path});
        EXPECT_EQ(S_OK, LaunchViewer(one.LastPath(), one.Paths(), one.Count()));
    }

    ASSERT_EQ(2u, viewer_.Starts().size()) << "viewer starts";
    EXPECT_EQ(OnePathLine(ViewerBesideProgram(), "C:\\x\\y.txt"), viewer_.Starts()[0].commandLine);
    EXPECT_EQ(OnePathLine(ViewerBesideProgram(), longest), viewer_.Starts()[1].commandLine);
    EXPECT_EQ(static_cast<UINT>(SW_SHOW), viewer_.Starts()[0].show);
    EXPECT_TRUE(TempFiles().empty()) << "a single path needs no list file, yet the temporary "
                                        "folder holds "
                                     << TempFiles()[0];
}

// ---- Several paths: a hidden list file in the temporary folder ----

TEST_F(LaunchTest, TwoPathsGoThroughAHiddenListFileAndTheLastPathIsNamed) {
    std::vector<std::string> paths = {"C:\\a.txt", "C:\\Mes documents\\b c.txt"};
    Selection two(paths);
    EXPECT_EQ(S_OK, LaunchViewer(two.LastPath(), two.Paths(), two.Count()));

    std::vector<std::string> files = TempFiles();
    ASSERT_EQ(1u, files.size()) << "files in the temporary folder";
    EXPECT_EQ(0u, files[0].rfind("VM", 0)) << "list file name " << files[0];
    std::string listFile = temp_.File(files[0]);
    DWORD attributes = GetFileAttributesA(listFile.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
        << "attributes of " << listFile << ": 0x" << std::hex << attributes;
    EXPECT_EQ(Escaped("2\r\nC:\\a.txt\r\nC:\\Mes documents\\b c.txt\r\n"),
              Escaped(ReadFileBytes(listFile)));

    ASSERT_EQ(1u, viewer_.Starts().size()) << "viewer starts";
    EXPECT_EQ(ListLine(ViewerBesideProgram(), "C:\\Mes documents\\b c.txt", listFile),
              viewer_.Starts()[0].commandLine);
    EXPECT_EQ(static_cast<UINT>(SW_SHOW), viewer_.Starts()[0].show);
}

TEST_F(LaunchTest, PathsKeepTheirBytesAndA259CharacterPathIsWrittenWhole) {
    std::vector<std::string> paths = {PathOfLength(259),
                                      "D:\\\xC9t\xE9 \xE0 Orl\xE9"
                                      "ans.txt",
                                      PathOfLength(3), PathOfLength(258)};
    Selection selection(paths);
    LaunchViewer(selection.LastPath(), selection.Paths(), selection.Count());

    ASSERT_EQ(1u, viewer_.Starts().size());
    std::string listFile = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    ASSERT_FALSE(listFile.empty()) << "no list file in " << viewer_.Starts()[0].commandLine;
    std::string got = ReadFileBytes(listFile);
    EXPECT_EQ(Escaped(ExpectedListBytes(paths)), Escaped(got));
}

TEST_F(LaunchTest, FullSelectionOf8192PathsIsWrittenCompleteAndInOrder) {
    // The handler never captures more than 8192 paths; this is the largest list there is.
    std::vector<std::string> paths = RealisticPaths(8192);
    Selection selection(paths);
    LaunchViewer(selection.LastPath(), selection.Paths(), selection.Count());

    ASSERT_EQ(1u, viewer_.Starts().size());
    std::string listFile = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    ASSERT_FALSE(listFile.empty()) << "no list file in " << viewer_.Starts()[0].commandLine;
    std::string got = ReadFileBytes(listFile);
    std::string expected = ExpectedListBytes(paths);
    ASSERT_EQ(0u, got.rfind("8192\r\n", 0)) << "first line: " << Escaped(got.substr(0, 16));
    size_t lines = 0;
    for (char c : got) lines += c == '\n';
    EXPECT_EQ(8193u, lines) << "lines in the list file";
    if (got != expected) {
        size_t at = 0;
        while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
        ADD_FAILURE() << "list file differs from byte " << at << " of " << expected.size()
                      << " (got " << got.size() << " bytes): expected \""
                      << Escaped(expected.substr(at, 40)) << "\", got \""
                      << Escaped(got.substr(at, 40)) << "\"";
    }
    EXPECT_EQ(ListLine(ViewerBesideProgram(), paths.back(), listFile),
              viewer_.Starts()[0].commandLine);
}

TEST_F(LaunchTest, LongestCommandLineIsNotCutShort) {
    // A deep temporary folder makes the list file's name nearly as long as a name can be
    // while a temporary file can still be made in it; with a 259-character last path and
    // the viewer's own path the line holds three long paths.
    std::string deep = temp_.Path();
    for (int i = 0; deep.size() < 225; ++i) {
        deep += "\\Temporaire " + std::to_string(i);
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << "cannot create " << deep;
    }
    ScopedEnvironmentVariable deepTmp("TMP", deep);
    std::vector<std::string> paths = {PathOfLength(200), PathOfLength(259)};
    Selection selection(paths);
    LaunchViewer(selection.LastPath(), selection.Paths(), selection.Count());

    ASSERT_EQ(1u, viewer_.Starts().size());
    const std::string& line = viewer_.Starts()[0].commandLine;
    std::string listFile = ListFileNamedIn(line);
    EXPECT_EQ(0u, listFile.rfind(deep + "\\VM", 0)) << "list file " << listFile;
    EXPECT_EQ(ListLine(ViewerBesideProgram(), paths.back(), listFile), line);
    EXPECT_EQ(Escaped(ExpectedListBytes(paths)), Escaped(ReadFileBytes(listFile)));
}

TEST_F(LaunchTest, NoCapturedPathStillStartsTheViewerOnAnEmptyList) {
    // The handler captures nothing when every path copy failed; the viewer then gets a list
    // that says so rather than a path from nowhere.
    Selection none({});
    EXPECT_EQ(S_OK, LaunchViewer("", none.Paths(), none.Count()));
    ASSERT_EQ(1u, viewer_.Starts().size());
    std::string listFile = ListFileNamedIn(viewer_.Starts()[0].commandLine);
    ASSERT_FALSE(listFile.empty()) << viewer_.Starts()[0].commandLine;
    EXPECT_EQ(ListLine(ViewerBesideProgram(), "", listFile), viewer_.Starts()[0].commandLine);
    EXPECT_EQ("0\\x0D\\x0A", Escaped(ReadFileBytes(listFile)));
}

}  // namespace
}  // namespace launchtest
