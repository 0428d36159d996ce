// The 32-bit program on 64-bit Windows hands the work to the 64-bit one: which program it
// starts, with what command line, in which folder, and what comes back; the one box when
// there is nothing to start. A stand-in plays the 64-bit program and leaves a mark.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "environment.h"
#include "flow_test_support.h"
#include "native_setup.h"
#include "run_options.h"
#include "scripted_user.h"
#include "setup_texts.h"
#include "startup.h"
#include "test_files.h"

namespace {

std::string FromUnix(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The stand-in's mark: its own path, then its command line.
struct Mark {
    bool found = false;
    std::string program, commandLine;
};

Mark ReadMark(const std::string& folder) {
    Mark mark;
    const std::string file = folder + "\\stand-in-ran.txt";
    if (!vmxtest::FileExists(file)) return mark;
    const std::string bytes = vmxtest::ReadFileBytes(file);
    const std::string::size_type split = bytes.find("\r\n");
    mark.found = true;
    mark.program = bytes.substr(0, split);
    mark.commandLine = split == std::string::npos ? "" : bytes.substr(split + 2);
    return mark;
}

class ScopedExitCode {
public:
    explicit ScopedExitCode(const char* code) { SetEnvironmentVariableA(kName, code); }
    ~ScopedExitCode() { SetEnvironmentVariableA(kName, nullptr); }

private:
    static constexpr const char* kName = "VMX_STAND_IN_EXIT_CODE";
};

TEST(HandOver, TheProgramStartedIsBesideThisOneOrTheInstalledNativeCopy) {
    const std::string system = "C:\\windows\\system32", wow64 = "C:\\windows\\SysWOW64";
    const std::string installedReached = "C:\\windows\\Sysnative\\Shellext\\vmxinst.exe";
    const std::string installedKnown = "C:\\windows\\system32\\Shellext\\vmxinst.exe";
    const struct {
        const char* own;
        std::string reached, known;
    } cases[] = {
        {"C:\\users\\Public\\Downloads\\VelluMax 1.0\\vmxinst.exe",
         "C:\\users\\Public\\Downloads\\VelluMax 1.0\\vmxinst64.exe",
         "C:\\users\\Public\\Downloads\\VelluMax 1.0\\vmxinst64.exe"},
        {"C:\\windows\\SysWOW64\\Shellext\\vmxinst.exe", installedReached, installedKnown},
        {"C:\\WINDOWS\\syswow64\\SHELLEXT\\VMXINST.EXE", installedReached, installedKnown},
        // WOW64 shows the 32-bit copy's folder to a 32-bit program by the system's name.
        {"C:\\windows\\system32\\Shellext\\vmxinst.exe", installedReached, installedKnown},
        {"C:\\windows\\SysWOW64\\Shellext2\\vmxinst.exe", "C:\\windows\\SysWOW64\\Shellext2\\vmxinst64.exe",
         "C:\\windows\\SysWOW64\\Shellext2\\vmxinst64.exe"},
        {"C:\\windows\\SysWOW64\\vmxinst.exe", "C:\\windows\\SysWOW64\\vmxinst64.exe",
         "C:\\windows\\SysWOW64\\vmxinst64.exe"},
    };
    for (const auto& c : cases) {
        const NativeSetup got = NativeSetupFor(c.own, system, wow64);
        EXPECT_EQ(c.reached, got.reached) << "started from " << c.own;
        EXPECT_EQ(c.known, got.known) << "started from " << c.own;
    }
}

TEST(HandOver, TheArgumentsArePassedOnAsTheyStand) {
    const struct {
        const char* commandLine;
        const char* arguments;
    } cases[] = {
        {"vmxinst.exe", ""},
        {"vmxinst.exe /uninstall", " /uninstall"},
        {"\"C:\\Mes fichiers\\vmxinst.exe\" /uninstall", " /uninstall"},
        {"\"C:\\Mes fichiers\\vmxinst.exe\"  /Quiet /log \"C:\\a b\\x.log\"",
         "  /Quiet /log \"C:\\a b\\x.log\""},
        {"vmxinst.exe\t/uninstall", "\t/uninstall"},
        {"\"vmxinst.exe\"/uninstall", "/uninstall"},
        {"\"unclosed quote /uninstall", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.arguments, ArgumentsAfterProgramName(c.commandLine)) << c.commandLine;
    EXPECT_EQ("", ArgumentsAfterProgramName(nullptr));
}

class NativeSetupStart : public ::testing::Test {
protected:
    int Run(const std::string& program, const char* commandLine) {
        flowtest::ScopedScript scripted(script_);
        flowtest::ScopedCurrentDirectory current(folder_.Path());
        ChooseProductDisplayName();
        return RunNativeSetup({program, program}, commandLine, ReadRunOptions(commandLine));
    }
    std::string MissingBox(const std::string& captionSuffix, const std::string& path) const {
        const std::string text = (flowtest::JapaneseRun() ? Texts::NativeSetupMissingJapanese
                                                          : Texts::NativeSetupMissingFrench) +
                                 path;
        return flowtest::BoxLine(MB_OK | MB_ICONERROR, flowtest::ExpectedDisplayName() + captionSuffix,
                                 text);
    }

    vmxtest::TempFolder folder_{"vmxho"};
    flowtest::Script script_;
};

TEST_F(NativeSetupStart, RunsIn64BitsWithTheSameArgumentsAndFolderAndPassesItsExitCodeBack) {
    const std::string program = folder_.File("vmxinst64.exe");
    ASSERT_TRUE(CopyFileA(FromUnix(VMX_STAND_IN64).c_str(), program.c_str(), FALSE));
    for (const char* code : {"0", "1", "3010", "1618"}) {
        SCOPED_TRACE(std::string("exit code ") + code);
        DeleteFileA(folder_.File("stand-in-ran.txt").c_str());
        ScopedExitCode exit(code);
        EXPECT_EQ(std::atoi(code), Run(program, "\"C:\\ailleurs\\vmxinst.exe\" /uninstall  /Quiet"));
        // Started in this program's current folder, where the INF file is looked for.
        const Mark mark = ReadMark(folder_.Path());
        ASSERT_TRUE(mark.found) << "the 64-bit program did not run in " << folder_.Path();
        EXPECT_EQ(program, mark.program);
        EXPECT_EQ("\"" + program + "\" /uninstall  /Quiet", mark.commandLine);
    }
    EXPECT_TRUE(script_.calls.empty()) << "the hand-over shows nothing: " << script_.calls[0];
}

// The single setup file starts the program it unpacked in the staged folder, where the INF
// file lies, whatever its own current folder; one that cannot start is reported as such.
TEST_F(NativeSetupStart, AChildStartedInAGivenFolderRunsThereWithTheSameArguments) {
    vmxtest::TempFolder staged("vmxst");
    const std::string program = staged.File("vmxinst64.exe");
    ASSERT_TRUE(CopyFileA(FromUnix(VMX_STAND_IN64).c_str(), program.c_str(), FALSE));
    flowtest::ScopedCurrentDirectory current(folder_.Path());
    ScopedExitCode exit("3010");
    DWORD code = 0;
    ASSERT_TRUE(RunChildSetup(program, "\"C:\\Downloads\\VelluMax-setup-x64.exe\" /uninstall /log x.log",
                              staged.Path().c_str(), code));
    EXPECT_EQ(3010u, code);
    const Mark mark = ReadMark(staged.Path());
    ASSERT_TRUE(mark.found) << "the child did not run in " << staged.Path();
    EXPECT_EQ("\"" + program + "\" /uninstall /log x.log", mark.commandLine);
    EXPECT_FALSE(ReadMark(folder_.Path()).found) << "the child ran in the current folder";
    EXPECT_FALSE(RunChildSetup(staged.File("absent.exe"), "setup.exe", staged.Path().c_str(), code));
}

TEST_F(NativeSetupStart, NoX64ProgramToStartIsOneBoxNamingItAndExitCode1) {
    const std::string program = folder_.File("vmxinst64.exe");
    const struct {
        const char* what;
        const char* source;  // copied under the 64-bit program's name; null: none there
        const char* commandLine;
        const char* captionSuffix;
    } cases[] = {
        {"missing", nullptr, "vmxinst.exe", Texts::InstallCaptionSuffix},
        {"missing, uninstalling", nullptr, "vmxinst.exe /uninstall", Texts::UninstallReportCaptionSuffix},
        {"the 32-bit viewer", VMX_BUILT_VIEWER, "vmxinst.exe", Texts::InstallCaptionSuffix},
        {"the readme", VMX_PACKAGE_README, "vmxinst.exe", Texts::InstallCaptionSuffix},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(program.c_str());
        if (c.source) {
            ASSERT_TRUE(CopyFileA(FromUnix(c.source).c_str(), program.c_str(), FALSE));
        }
        script_.calls.clear();
        EXPECT_EQ(1, Run(program, c.commandLine));
        ASSERT_EQ(1u, script_.calls.size());
        EXPECT_EQ(MissingBox(c.captionSuffix, program), script_.calls[0]);
    }
    EXPECT_FALSE(ReadMark(folder_.Path()).found);
}

// Only the 32-bit program on x64 Windows hands over; on other machines it keeps its own
// refusal. Where it does, RunSetup starts the program beside it and ends with its code.
TEST(HandOver, OnlyThe32BitProgramOnX64WindowsHandsOver) {
    flowtest::Script script;
    {
        flowtest::ScopedScript scripted(script);
        EXPECT_EQ(sizeof(void*) == 4 && flowtest::On64BitWindows(), HandsOverTo64BitSetup());
        script.nativeMachine = IMAGE_FILE_MACHINE_ARM64;
        EXPECT_FALSE(HandsOverTo64BitSetup()) << "Windows on ARM keeps the 32-bit refusal";
    }
    if (!(sizeof(void*) == 4 && flowtest::On64BitWindows())) return;

    const std::string beside = vmxtest::ProgramFolder() + "vmxinst64.exe";
    ASSERT_TRUE(CopyFileA(FromUnix(VMX_STAND_IN64).c_str(), beside.c_str(), FALSE));
    vmxtest::TempFolder current("vmxho");
    int code;
    {
        flowtest::Script x64;  // the ARM answer above stays with the first script
        flowtest::ScopedScript scripted(x64);
        flowtest::ScopedCurrentDirectory in(current.Path());
        ScopedExitCode exit("3010");
        code = RunSetup("vmxinst.exe /uninstall /quiet");
    }
    DeleteFileA(beside.c_str());
    EXPECT_EQ(3010, code);
    const Mark mark = ReadMark(current.Path());
    ASSERT_TRUE(mark.found);
    EXPECT_EQ("\"" + beside + "\" /uninstall /quiet", mark.commandLine);
}

}  // namespace
