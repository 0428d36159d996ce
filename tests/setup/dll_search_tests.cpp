// The setup program runs elevated from Downloads: a DLL planted beside it under the name of
// one that Windows loads on demand (the message box's theme, uxtheme.dll) must not run in
// it. Wine is told (VMX_DLLOVERRIDES, in the test's set-up) to look for uxtheme.dll on the
// search path as Windows does, instead of taking its own copy at once; the child programs
// read that at their start.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "child_process.h"
#include "test_files.h"

namespace {

std::string FromUnix(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

class PlantedDll : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string planted = vmxtest::ProgramFolder() + "planted_dll.dll";
        ASSERT_TRUE(CopyFileA(planted.c_str(), folder_.File("uxtheme.dll").c_str(), FALSE))
            << "cannot plant " << planted;
    }

    // Runs a copy of the program from the planted folder; true when the planted DLL ran.
    bool PlantedDllRanIn(const std::string& program, const std::string& arguments = "") {
        const std::string copy = folder_.File("program.exe");
        EXPECT_TRUE(CopyFileA(program.c_str(), copy.c_str(), FALSE)) << "cannot copy " << program;
        const std::string mark = folder_.File("planted-loaded.txt");
        DeleteFileA(mark.c_str());
        vmxtest::RunAndWait("\"" + copy + "\" " + arguments, 60000);
        return vmxtest::FileExists(mark);
    }

    vmxtest::TempFolder folder_{"vmxplant"};
};

TEST_F(PlantedDll, TheSetupProgramAndTheViewerLoadOnlySystemDlls) {
    const std::string child = vmxtest::ProgramFolder() + "message_box_child.exe";
    ASSERT_TRUE(PlantedDllRanIn(child))
        << "the planted DLL did not run even without a restriction: the test proves nothing";
    EXPECT_FALSE(PlantedDllRanIn(child, "restricted"))
        << "the restricted DLL search still took the program's folder";
    // The shipped program, which shows its first box (the INF file is not in the current
    // folder) and ends.
    EXPECT_FALSE(PlantedDllRanIn(FromUnix(VMX_BUILT_SETUP)))
        << "the setup program loaded the DLL planted beside it";
    // The viewer, with a command line that it refuses in a message box.
    EXPECT_FALSE(PlantedDllRanIn(FromUnix(VMX_BUILT_VIEWER), "/x"))
        << "the viewer loaded the DLL planted beside it";
}

}  // namespace
