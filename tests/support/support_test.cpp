// The test helpers themselves: a scripted table entry must come back after its scope,
// and a temporary folder must vanish with everything in it.
#include <gtest/gtest.h>

#include "scoped_override.h"
#include "test_files.h"

namespace {

int Real(int x) { return x; }
int Scripted(int) { return -1; }

TEST(ScopedOverride, ReplacesForTheScopeAndRestoresAfter) {
    int (*slot)(int) = &Real;
    {
        vmxtest::ScopedOverride guard(slot, &Scripted);
        EXPECT_EQ(-1, slot(5));
    }
    EXPECT_EQ(5, slot(5)) << "the real entry was not put back";
}

TEST(TempFolder, IsRemovedWithReadOnlyContents) {
    std::string path;
    {
        vmxtest::TempFolder folder;
        path = folder.Path();
        vmxtest::WriteFileBytes(folder.File("a.txt"), "x\r\n");
        CreateDirectoryA(folder.File("sub").c_str(), nullptr);
        vmxtest::WriteFileBytes(folder.File("sub\\b.txt"), "y");
        SetFileAttributesA(folder.File("sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ("x\r\n", vmxtest::ReadFileBytes(folder.File("a.txt")));
    }
    EXPECT_FALSE(vmxtest::DirectoryExists(path)) << path << " is still there";
}

}  // namespace
