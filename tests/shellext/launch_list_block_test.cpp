// The list file is gathered in a block from the heap and written block by block. Lines of
// every length must come out whole where a block ends, and a heap with no block to give
// must cost only speed: the list is still complete.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch_fixture.h"
#include "viewer_launch.h"

namespace launchtest {
namespace {

using vmxtest::Escaped;
using vmxtest::ReadFileBytes;
using vmxtest::ScopedOverride;

int allocationsRefused = 0;

LPVOID WINAPI NoMemory(HANDLE, DWORD, SIZE_T) {
    ++allocationsRefused;
    return nullptr;
}

// Ordinary paths with paths of the longest length and of one character among them, so that
// lines of every size meet the end of a block somewhere in a list of 8192.
std::vector<std::string> MixedPaths() {
    std::vector<std::string> paths = RealisticPaths(8192);
    for (size_t i = 0; i < paths.size(); i += 7) paths[i] = PathOfLength(259 - i % 3);
    for (size_t i = 3; i < paths.size(); i += 11) paths[i].assign(1, 'C');
    return paths;
}

TEST_F(LaunchTest, ListComesOutWholeAcrossBlocksWithAndWithoutMemoryForTheBlock) {
    std::vector<std::string> paths = MixedPaths();
    Selection selection(paths);
    std::string expected = ExpectedListBytes(paths);
    for (bool memory : {true, false}) {
        SCOPED_TRACE(memory ? "block from the heap" : "heap refuses the block");
        allocationsRefused = 0;
        size_t startsBefore = viewer_.Starts().size();
        {
            ScopedOverride refuse(SystemCalls.HeapAlloc,
                                  memory ? SystemCalls.HeapAlloc : &NoMemory);
            EXPECT_EQ(S_OK,
                      LaunchViewer(selection.LastPath(), selection.Paths(), selection.Count()));
        }
        if (!memory) {
            EXPECT_LT(0, allocationsRefused) << "the launch asked the heap for nothing";
        }
        ASSERT_EQ(startsBefore + 1, viewer_.Starts().size()) << "viewer starts";
        std::string listFile = ListFileNamedIn(viewer_.Starts().back().commandLine);
        ASSERT_FALSE(listFile.empty()) << viewer_.Starts().back().commandLine;
        std::string got = ReadFileBytes(listFile);
        ASSERT_EQ(expected.size(), got.size()) << "bytes in the list file";
        size_t first = 0;
        while (first < got.size() && got[first] == expected[first]) ++first;
        EXPECT_EQ(expected.size(), first) << "first difference at byte " << first << ": expected \""
                                          << Escaped(expected.substr(first, 40)) << "\", got \""
                                          << Escaped(got.substr(first, 40)) << "\"";
    }
}

}  // namespace
}  // namespace launchtest
