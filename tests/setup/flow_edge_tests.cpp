// The flows where the system says no: a verb that cannot be written, a maker's key that
// cannot be opened, a file held open by another program; and a reinstallation before the
// restart that an uninstallation asked for. Real registry, files and INF installer; the
// user's side scripted.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "environment.h"
#include "flow_test_support.h"
#include "inf_installer.h"
#include "scoped_handle.h"
#include "scripted_user.h"
#include "setup_test_support.h"
#include "startup.h"
#include "test_files.h"

namespace {

using flowtest::HKCR;
using flowtest::HKCU;
using setuptest::KeyExists;
using setuptest::SetStringValue;

bool Has(const std::vector<std::string>& calls, const std::string& prefix) {
    for (const std::string& call : calls)
        if (call.rfind(prefix, 0) == 0) return true;
    return false;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Pending deletions (empty target) whose source ends with the name.
int PendingDeletionsOf(const std::string& name) {
    std::vector<std::string> names = flowtest::PendingRenames();
    int count = 0;
    for (size_t i = 0; i + 1 < names.size(); i += 2) {
        std::string source = Lower(names[i]);
        if (names[i + 1].empty() && source.size() >= name.size() &&
            source.compare(source.size() - name.size(), name.size(), Lower(name)) == 0)
            ++count;
    }
    return count;
}

class FlowEdges : public ::testing::Test {
protected:
    int Run(const char* commandLine) {
        flowtest::ScopedScript scripted(script_);
        return RunSetup(commandLine);
    }

    flowtest::ProductStateGuard guard_;
    flowtest::Script script_;
};

TEST_F(FlowEdges, VerbThatCannotBeWrittenEndsInTheErrorReportWithEarlierStepsKept) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());
    SetStringValue(HKCR, flowtest::kFolderVerb, "", "old");
    SetStringValue(HKCR, flowtest::kClassKey, "", "earlier registration");
    flowtest::LockedKey locked(HKCR, flowtest::kDirectoryVerb);
    script_.answers = {IDOK, IDOK, IDOK};

    EXPECT_EQ(1, Run("vmxinst.exe"));

    ASSERT_EQ(3u, script_.calls.size()) << "expected the two questions and the error report";
    const std::string& report = script_.calls[2];
    EXPECT_EQ(0u, report.find("box style=0x2010 caption=Application Error text=Exception "
                              "ERegistryException in module "))
        << report;
    const std::string ending = ".\\x0AFailed to set data for ''.";
    EXPECT_EQ(ending, report.substr(report.size() - std::min(report.size(), ending.size())))
        << report;

    EXPECT_FALSE(KeyExists(HKCR, flowtest::kFolderVerb)) << "the folder verb goes first";
    EXPECT_TRUE(setuptest::ReadValue(HKCR, flowtest::kDriveVerb + "\\command", "").found)
        << "the drive verb, written before the failure, should stay";
    EXPECT_FALSE(setuptest::ReadValue(HKCR, flowtest::kDirectoryVerb, "").found);
    EXPECT_TRUE(KeyExists(HKCR, flowtest::kClassKey)) << "the earlier registration went";
    EXPECT_FALSE(vmxtest::FileExists(flowtest::ShellextFolder() + "\\vmxtool.dll"))
        << "the INF file ran";
}

TEST_F(FlowEdges, TheSystemsInstallerRunsEvenWithAProgramOfItsNameInTheCurrentFolder) {
    flowtest::InstallSource source;
    const std::string standIn = vmxtest::ProgramFolder() + "stand_in_installer.exe";
    ASSERT_TRUE(CopyFileA(standIn.c_str(), source.File("rundll32.exe").c_str(), FALSE));
    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDOK, IDCANCEL};

    EXPECT_EQ(0, Run("vmxinst.exe"));

    EXPECT_FALSE(vmxtest::FileExists(source.File("stand-in-ran.txt")))
        << "the rundll32.exe of the current folder ran";
    EXPECT_TRUE(vmxtest::FileExists(flowtest::ShellextFolder() + "\\vmxtool.dll"));
}

TEST_F(FlowEdges, MakersKeyWithAnotherProductStays) {
    SetStringValue(HKCU, "Software\\Caldwyn\\Vellumax\\setting", "Sort", "name");
    SetStringValue(HKCU, "Software\\Caldwyn\\OtherProduct", "Kept", "yes");
    script_.answers = {IDYES, IDOK};

    EXPECT_EQ(0, Run("vmxinst.exe /uninstall"));

    EXPECT_FALSE(KeyExists(HKCU, "Software\\Caldwyn\\Vellumax"));
    EXPECT_TRUE(setuptest::ReadValue(HKCU, "Software\\Caldwyn\\OtherProduct", "Kept").found);
}

TEST_F(FlowEdges, MakersKeyThatCannotBeOpenedStays) {
    // It can be deleted but not opened with full access: nothing can tell whether it holds
    // anything else, so it is not touched.
    flowtest::LockedKey locked(HKCU, "Software\\Caldwyn");
    script_.answers = {IDYES, IDOK};

    EXPECT_EQ(0, Run("vmxinst.exe /uninstall"));

    EXPECT_TRUE(KeyExists(HKCU, "Software\\Caldwyn")) << "the maker's key was removed";
    EXPECT_EQ(8u, script_.calls.size()) << "expected no box beyond confirmation and report";
}

TEST_F(FlowEdges, FileHeldOpenElsewhereStaysWithoutAWordUntilTheRestart) {
    flowtest::InstallSource source;
    flowtest::InstallWithInf(source);
    const std::string viewer = flowtest::ShellextFolder() + "\\vmxtool.exe";
    ScopedHandle held(CreateFileA(viewer.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.Valid());
    script_.answers = {IDYES, IDOK};

    EXPECT_EQ(0, Run("vmxinst.exe /uninstall"));

    EXPECT_EQ(8u, script_.calls.size()) << "expected no box beyond confirmation and report";
    EXPECT_FALSE(Has(script_.calls, "box style=0x35")) << "a sharing violation was reported";
    EXPECT_TRUE(vmxtest::FileExists(viewer));
    EXPECT_FALSE(vmxtest::FileExists(flowtest::ShellextFolder() + "\\vmxtool.dll"));
    EXPECT_EQ(1, PendingDeletionsOf(flowtest::KnownShellextFolders()[0] + "\\vmxtool.exe"))
        << "the viewer that stayed is not deleted at the restart";
}

TEST_F(FlowEdges, ReinstallingBeforeTheRestartKeepsEveryFileAndFolder) {
    flowtest::InstallSource source;
    flowtest::InstallWithInf(source);
    // The DLL refuses and is given up: it too is left to the restart.
    const std::string dll = flowtest::ShellextFolder() + "\\vmxtool.dll";
    SetFileAttributesA(dll.c_str(), FILE_ATTRIBUTE_READONLY);
    // Somebody else's pending deletion, which must survive the reinstallation.
    vmxtest::TempFolder scratch;
    const std::string other = scratch.File("other.tmp");
    vmxtest::WriteFileBytes(other, "x");
    ASSERT_TRUE(MoveFileExA(other.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));

    script_.answers = {IDYES, IDCANCEL, IDOK};
    EXPECT_EQ(0, Run("vmxinst.exe /uninstall"));
    const int copies = static_cast<int>(flowtest::ShellextFolders().size());
    ASSERT_EQ(copies, PendingDeletionsOf("\\Shellext\\vmxinst.exe"))
        << "expected one deletion per installed copy";
    ASSERT_EQ(1, PendingDeletionsOf("\\Shellext\\vmxtool.dll"));
    ASSERT_EQ(copies, PendingDeletionsOf("\\Shellext"));
    SetFileAttributesA(dll.c_str(), FILE_ATTRIBUTE_NORMAL);

    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDOK, IDCANCEL};
    EXPECT_EQ(0, Run("vmxinst.exe"));

    for (const char* name : {"\\Shellext\\vmxinst.exe", "\\Shellext\\vmxtool.dll", "\\Shellext"})
        EXPECT_EQ(0, PendingDeletionsOf(name)) << "the reinstalled " << name << " would go at the restart";
    EXPECT_EQ(1, PendingDeletionsOf("\\other.tmp")) << "another program's deletion went";
    for (const std::string& folder : flowtest::ShellextFolders())
        for (const char* name : {"vmxinst.exe", "vmxtool.dll", "vmxtool.exe", "vmxtool.txt"})
            EXPECT_TRUE(vmxtest::FileExists(folder + "\\" + name)) << folder << "\\" << name;
}

// An upgrade while a program holds the extension loaded: the loaded file moves aside within
// its folder and goes at the restart; the new one is in place at once.
TEST_F(FlowEdges, UpgradeOverALoadedExtensionPutsTheNewOneInPlaceAtOnce) {
    flowtest::InstallSource source;
    flowtest::InstallWithInf(source);
    const std::string installed = flowtest::ShellextFolder() + "\\vmxtool.dll";
    HMODULE loaded = LoadLibraryA(installed.c_str());
    ASSERT_NE(nullptr, loaded) << "cannot load " << installed;
    // The new build: the same code with other bytes after it.
    const std::string ownBuild = source.File(sizeof(void*) == 8 ? "vmxtool64.dll" : "vmxtool.dll");
    const std::string newBytes = vmxtest::ReadFileBytes(ownBuild) + "new build";
    vmxtest::WriteFileBytes(ownBuild, newBytes);

    flowtest::ScopedCurrentDirectory current(source.Folder());
    script_.answers = {IDOK, IDCANCEL};
    EXPECT_EQ(0, Run("vmxinst.exe"));

    EXPECT_EQ(newBytes.size(), vmxtest::ReadFileBytes(installed).size())
        << "the loaded extension was not replaced";
    std::vector<std::string> pending = flowtest::PendingRenames();
    std::string aside;
    for (size_t i = 0; i + 1 < pending.size(); i += 2)
        if (pending[i].find(flowtest::KnownShellextFolders()[0] + "\\vmx") != std::string::npos &&
            Lower(pending[i]).find(".tmp") != std::string::npos && pending[i + 1].empty())
            aside = pending[i].substr(4);
    EXPECT_FALSE(aside.empty()) << "the moved file is not deleted at the restart";
    FreeLibrary(loaded);
    if (!aside.empty()) DeleteFileA((flowtest::ShellextFolder() + aside.substr(aside.rfind('\\'))).c_str());
}

// The INF installer runs elevated: it starts in the system folder, so that a DLL it loads
// by name is never one that lies in the user's current folder (Downloads, as a rule).
TEST(InfInstallerStart, TheInstallerStartsInTheSystemFolder) {
    FillSystemFolders();
    vmxtest::TempFolder current("vmxcwd");
    flowtest::ScopedCurrentDirectory in(current.Path());
    const std::string mark = FolderText(SystemDir) + "\\stand-in-ran.txt";
    DeleteFileA(mark.c_str());
    std::string command = "\"";
    command += vmxtest::ProgramFolder() + "stand_in_installer.exe\"";
    ASSERT_TRUE(RunInfInstaller(command));
    EXPECT_FALSE(vmxtest::FileExists(current.File("stand-in-ran.txt"))) << "started in the current folder";
    EXPECT_TRUE(vmxtest::FileExists(mark)) << "expected it to start in " << FolderText(SystemDir);
    DeleteFileA(mark.c_str());
}

}  // namespace
