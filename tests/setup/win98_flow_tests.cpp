// Both flows on the Windows 95 family for real: a child program named vmxinst.exe, which
// Wine has been told is Windows 98, runs them with the user's side scripted and logs what
// they did. The INF file goes through RUNDLL.EXE and setupx; the setup program's deletion
// goes into wininit.ini; the report offers a restart.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "child_process.h"
#include "flow_test_support.h"
#include "scripted_user.h"
#include "setup_test_support.h"
#include "test_files.h"

namespace {

using flowtest::Ansi;
using flowtest::BoxLine;
using flowtest::ExpectedDisplayName;
using flowtest::JapaneseRun;
using Calls = std::vector<std::string>;

class Windows98Flows : public ::testing::Test {
protected:
    void SetUp() override {
        child_ = folder_.File("vmxinst.exe");
        const std::string built = vmxtest::ProgramFolder() + "flow_child.exe";
        ASSERT_TRUE(CopyFileA(built.c_str(), child_.c_str(), FALSE)) << "cannot copy " << built;
        // The guard removes this setting again.
        setuptest::SetStringValue(flowtest::HKCU, "Software\\Wine\\AppDefaults\\vmxinst.exe",
                                  "Version", "win98");
    }

    // Runs the flow in the child from the current folder; returns the log's lines.
    Calls RunChild(const std::string& arguments) {
        const std::string log = folder_.File("flow.log");
        DeleteFileA(log.c_str());
        DWORD code =
            vmxtest::RunAndWait("\"" + child_ + "\" \"" + log + "\" " + arguments, 180000);
        EXPECT_EQ(0u, code) << "the child could not run: " << arguments;
        Calls lines;
        if (!vmxtest::FileExists(log)) return lines;
        std::string text = vmxtest::ReadFileBytes(log);
        std::string::size_type p = 0, end;
        while ((end = text.find("\r\n", p)) != std::string::npos) {
            lines.push_back(text.substr(p, end - p));
            p = end + 2;
        }
        return lines;
    }

    std::string Wininit() const { return flowtest::WindowsFolder() + "\\wininit.ini"; }

    flowtest::ProductStateGuard guard_;
    vmxtest::TempFolder folder_{"vmx98"};
    std::string child_;
};

// A 64-bit program cannot start the 16-bit RUNDLL.EXE: the flow is followed up to its
// start, by a stand-in put in its place in the Windows folder for the test. Where 32-bit
// Wine is installed, the prefix has a RUNDLL.EXE of its own: it is moved aside meanwhile.
class StandInForTheWindowsInstaller {
public:
    StandInForTheWindowsInstaller()
        : path_(flowtest::WindowsFolder() + "\\RUNDLL.EXE"), aside_(path_ + ".vmxtest") {
        if (vmxtest::FileExists(path_) && !MoveFileExA(path_.c_str(), aside_.c_str(), 0))
            throw std::runtime_error("cannot move " + path_ + " aside: error " +
                                     std::to_string(GetLastError()));
        const std::string standIn = vmxtest::ProgramFolder() + "stand_in_installer.exe";
        if (!CopyFileA(standIn.c_str(), path_.c_str(), TRUE)) {
            Restore();
            throw std::runtime_error("cannot copy the stand-in to " + path_);
        }
    }
    ~StandInForTheWindowsInstaller() {
        DeleteFileA(path_.c_str());
        Restore();
    }
    StandInForTheWindowsInstaller(const StandInForTheWindowsInstaller&) = delete;
    StandInForTheWindowsInstaller& operator=(const StandInForTheWindowsInstaller&) = delete;
    const std::string& Path() const { return path_; }

private:
    void Restore() {
        if (vmxtest::FileExists(aside_)) MoveFileExA(aside_.c_str(), path_.c_str(), 0);
    }
    std::string path_, aside_;
};

TEST_F(Windows98Flows, InstallationCancelsTheEarlierDeletionAndRunsTheInfFileThroughSetupx) {
    const bool program64 = sizeof(void*) == 8;
    // The 16-bit installer cuts its command line short: the package lies near the root.
    flowtest::InstallSource source(flowtest::InstallSource::NearRoot);
    const std::string standIn = vmxtest::ProgramFolder() + "stand_in_installer.exe";
    ASSERT_TRUE(CopyFileA(standIn.c_str(), source.File("RUNDLL.EXE").c_str(), FALSE));
    std::unique_ptr<StandInForTheWindowsInstaller> windowsInstaller;
    if (program64) windowsInstaller = std::make_unique<StandInForTheWindowsInstaller>();
    flowtest::ScopedCurrentDirectory current(source.Folder());
    const std::string setupFile = flowtest::ShellextFolder() + "\\vmxinst.exe";
    vmxtest::WriteFileBytes(Wininit(),
                            "[rename]\r\nNUL=" + setupFile + "\r\nNUL=C:\\other.tmp\r\n");

    // Whatever a token might say, the Windows 95 family opens the readme as it always did.
    Calls log = RunChild("install ELEVATED OK OK");

    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ("exit 0", log.back());
    log.pop_back();
    log.pop_back();  // the poll counts
    const std::string readme = flowtest::SystemFolder() + "\\shellext\\vmxtool.txt";
    ASSERT_EQ(6u, log.size());
    EXPECT_EQ("installer ended", log[4]);
    EXPECT_EQ("open verb=- file=" + vmxtest::Escaped(readme) + " params=- dir=- show=1", log[5]);
    EXPECT_EQ("[rename]\r\nNUL=C:\\other.tmp\r\n", vmxtest::ReadFileBytes(Wininit()))
        << "expected only the setup program's entry to go";
    if (program64) {
        // The folder's name has spaces: only its short form may reach the 16-bit installer.
        char shortInf[MAX_PATH] = {};
        GetShortPathNameA(source.File("vmxtool.inf").c_str(), shortInf, MAX_PATH);
        ASSERT_EQ(std::string::npos, std::string(shortInf).find(' '));
        EXPECT_EQ(windowsInstaller->Path() + "\r\n\"" + windowsInstaller->Path() +
                      "\" setupx.dll,InstallHinfSection DefaultInstall 132 " + shortInf,
                  vmxtest::ReadFileBytes(source.File("stand-in-ran.txt")))
            << "expected the Windows folder's installer, started on the INF file's short path";
        return;
    }
    for (const char* name : {"vmxtool.dll", "vmxtool.exe", "vmxtool.txt", "vmxinst.exe"})
        EXPECT_TRUE(vmxtest::FileExists(flowtest::ShellextFolder() + "\\" + name))
            << name << " not installed";
    EXPECT_TRUE(setuptest::KeyExists(flowtest::HKCR, flowtest::kClassKey));
    EXPECT_FALSE(vmxtest::FileExists(source.File("stand-in-ran.txt")))
        << "the RUNDLL.EXE of the current folder ran";
}

TEST_F(Windows98Flows, InstallationWithoutAShortPathRunsNothingAfterTheRegistryWork) {
    flowtest::InstallSource source;
    flowtest::ScopedCurrentDirectory current(source.Folder());

    // The INF file disappears while the offer is on screen.
    Calls log = RunChild("install OK OK-REMOVING-INF");

    ASSERT_FALSE(log.empty());
    EXPECT_EQ("exit 0", log.back());
    log.pop_back();
    ASSERT_EQ(5u, log.size()) << "expected two boxes, a flush, a pause and the poll counts";
    EXPECT_EQ("flush HKCR", log[2]);
    EXPECT_EQ("sleep 3000", log[3]);
    EXPECT_EQ("polls 0 pauses 0", log[4]);
    EXPECT_TRUE(setuptest::KeyExists(flowtest::HKCR, flowtest::kDriveVerb)) << "verbs not written";
    EXPECT_FALSE(vmxtest::FileExists(flowtest::ShellextFolder() + "\\vmxtool.dll"));
}

class Windows98Report : public Windows98Flows {
protected:
    std::string ReportBox() {
        const std::string setupFile = flowtest::SystemFolder() + "\\Shellext\\vmxinst.exe";
        std::string text =
            JapaneseRun()
                ? Ansi(u"アンインストールが終了しました。  \r\r", 932) + setupFile +
                      Ansi(
                          u"を削除するためにコンピュータを再起動する必要があります。\r\r"
                          u"ここで再起動しますか？",
                          932)
                : Ansi(u"Désinstallation OK. \r\rRemarque: ", 1252) + setupFile +
                      Ansi(
                          u" sera supprimé dès le prochain redémarrage de Windows...   \r\r"
                          u"Redémarrer l'ordinateur maintenant ?",
                          1252);
        return BoxLine(0x24, ExpectedDisplayName() + " uninstall", text);
    }

    // The log after the confirmation, the registry work and the report box.
    Calls AfterReport(const std::string& answers) {
        Calls log = RunChild("uninstall " + answers);
        EXPECT_GE(log.size(), 10u);
        if (log.size() < 10) return {};
        EXPECT_EQ(ReportBox(), log[7]);
        return Calls(log.begin() + 8, log.end());
    }
};

TEST_F(Windows98Report, YesRequestsARestartAndTheSetupProgramIsInWininit) {
    Calls rest = AfterReport("YES YES");

    EXPECT_EQ((Calls{"restart flags=0x2 reason=0x0", "polls 0 pauses 0", "exit 0"}), rest);
    EXPECT_EQ("[Rename]\r\nNUL=" + flowtest::SystemFolder() + "\\Shellext\\vmxinst.exe\r\n",
              vmxtest::ReadFileBytes(Wininit()));
    EXPECT_FALSE(flowtest::PendingRenamesPresent()) << "the NT family's way was taken";
}

TEST_F(Windows98Report, RefusedRestartIsReported) {
    Calls rest = AfterReport("YES YES OK REFUSE-RESTART");

    EXPECT_EQ((Calls{"restart flags=0x2 reason=0x0",
                     BoxLine(0, ExpectedDisplayName(), "ExitWindowsEx:error"), "polls 0 pauses 0",
                     "exit 0"}),
              rest);
}

TEST_F(Windows98Report, NoEndsWithoutARestart) {
    Calls rest = AfterReport("YES NO");
    EXPECT_EQ((Calls{"polls 0 pauses 0", "exit 0"}), rest);
}

}  // namespace
