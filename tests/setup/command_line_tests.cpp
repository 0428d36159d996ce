// Reading the command line: how arguments are split, which flow the first one picks, and
// the switches of a quiet run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "run_options.h"

namespace {

using Args = std::vector<std::string>;

struct SplitCase {
    const char* commandLine;
    Args expected;
};

TEST(SplitArguments, FollowsTheSeparatorAndQuoteRules) {
    const SplitCase cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"vmxinst.exe", {"vmxinst.exe"}},
        {"vmxinst.exe /uninstall", {"vmxinst.exe", "/uninstall"}},
        // Every code from 1 to 32 separates, not just blanks and tabs.
        {"a\x01"
         "b\x1F"
         "c\r\nd",
         {"a", "b", "c", "d"}},
        {"  lead   and  trail  ", {"lead", "and", "trail"}},
        // Quotes start and end runs, are removed, and keep blanks inside the argument.
        {"\"C:\\Program Files\\vmxinst.exe\" x", {"C:\\Program Files\\vmxinst.exe", "x"}},
        {"a\"b c\"d e", {"ab cd", "e"}},
        {"p \"unterminated run", {"p", "unterminated run"}},
        // An empty pair in front of an argument is passed over like a separator...
        {"p \"\" /uninstall", {"p", "/uninstall"}},
        {"p \"\"/uninstall", {"p", "/uninstall"}},
        {"p \"\" \"\" \"\"", {"p"}},
        // ...but inside an argument it is just an empty run.
        {"p a\"\"b", {"p", "ab"}},
        // Bytes above 127 belong to arguments (double-byte text in code page 932).
        {"p \x83\x78\x83\x8B", {"p", "\x83\x78\x83\x8B"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(c.expected, SplitArguments(c.commandLine))
            << "command line [" << c.commandLine << "]";
    }
}

struct FlowCase {
    const char* commandLine;
    SetupFlow expected;
};

TEST(FlowFor, UninstallsOnlyForTheExactSwitchAsFirstArgument) {
    const FlowCase cases[] = {
        {"vmxinst.exe", SetupFlow::Install},
        {"\"C:\\Program Files\\VelluMax\\vmxinst.exe\"", SetupFlow::Install},
        {"vmxinst.exe /uninstall", SetupFlow::Uninstall},
        {"\"C:\\Program Files\\vmxinst.exe\" /uninstall", SetupFlow::Uninstall},
        {"vmxinst.exe \"/uninstall\"", SetupFlow::Uninstall},
        {"vmxinst.exe \"\" /uninstall", SetupFlow::Uninstall},
        {"vmxinst.exe /uninstall extra args", SetupFlow::Uninstall},
        {"vmxinst.exe\t/uninstall", SetupFlow::Uninstall},
        // Byte for byte: capitals, a hyphen, or more text install.
        {"vmxinst.exe /UNINSTALL", SetupFlow::Install},
        {"vmxinst.exe /Uninstall", SetupFlow::Install},
        {"vmxinst.exe -uninstall", SetupFlow::Install},
        {"vmxinst.exe /uninstall2", SetupFlow::Install},
        {"vmxinst.exe uninstall", SetupFlow::Install},
        // Only the first argument counts.
        {"vmxinst.exe x /uninstall", SetupFlow::Install},
        // The program's own name is not an argument.
        {"/uninstall", SetupFlow::Install},
    };
    for (const FlowCase& c : cases) {
        EXPECT_EQ(c.expected == SetupFlow::Uninstall,
                  FlowFor(c.commandLine) == SetupFlow::Uninstall)
            << "command line [" << c.commandLine << "] should "
            << (c.expected == SetupFlow::Uninstall ? "uninstall" : "install");
    }
}

struct OptionsCase {
    const char* commandLine;
    bool quiet;
    SetupFlow flow;
    bool diskInfo;
    const char* logFile;
    bool understood;  // a quiet run that may go ahead; interactive runs always do
};

TEST(ReadRunOptions, QuietSwitchesInAnyCaseAndOrderInteractiveAsEver) {
    const SetupFlow I = SetupFlow::Install, U = SetupFlow::Uninstall;
    const OptionsCase cases[] = {
        {"vmxinst.exe", false, I, false, "", true},
        {"vmxinst.exe /quiet", true, I, false, "", true},
        {"vmxinst.exe /QUIET", true, I, false, "", true},
        {"vmxinst.exe /uninstall /quiet", true, U, false, "", true},
        {"vmxinst.exe /Uninstall /Quiet", true, U, false, "", true},
        {"vmxinst.exe /quiet /UNINSTALL", true, U, false, "", true},
        {"vmxinst.exe /quiet /DiskInfo", true, I, true, "", true},
        {"vmxinst.exe /quiet /log C:\\logs\\vmx.log", true, I, false, "C:\\logs\\vmx.log", true},
        {"vmxinst.exe /LOG \"C:\\Mes logs\\vmx.log\" /quiet /diskinfo", true, I, true,
         "C:\\Mes logs\\vmx.log", true},
        // Not understood: nothing may run.
        {"vmxinst.exe /quiet /norestart", true, I, false, "", false},
        {"vmxinst.exe /quiet -uninstall", true, I, false, "", false},
        {"vmxinst.exe /quiet /log", true, I, false, "", false},
        {"vmxinst.exe /quiet /log \"\"", true, I, false, "", false},
        {"vmxinst.exe /log /quiet", true, I, false, "", false},
        {"vmxinst.exe /uninstall /quiet extra", true, U, false, "", false},
        // Interactive: the first argument alone decides, byte for byte, as it always has.
        {"vmxinst.exe /uninstall", false, U, false, "", true},
        {"vmxinst.exe /UNINSTALL", false, I, false, "", true},
        {"vmxinst.exe /diskinfo /uninstall", false, I, false, "", true},
        {"vmxinst.exe /uninstall /log C:\\u.log", false, U, false, "C:\\u.log", true},
        {"vmxinst.exe whatever /uninstall", false, I, false, "", true},
        // A line it cannot read fully keeps no log: the argument might not be a file at all.
        {"vmxinst.exe /uninstall x /log C:\\u.log", false, U, false, "", true},
    };
    for (const OptionsCase& c : cases) {
        const RunOptions got = ReadRunOptions(c.commandLine);
        SCOPED_TRACE(std::string("command line [") + c.commandLine + "]");
        EXPECT_EQ(c.quiet, got.quiet);
        EXPECT_EQ(c.flow == SetupFlow::Uninstall, got.flow == SetupFlow::Uninstall);
        EXPECT_EQ(c.diskInfo, got.diskInfo);
        EXPECT_EQ(std::string(c.logFile), got.logFile);
        EXPECT_EQ(c.understood, got.problem.empty()) << "problem: " << got.problem;
    }
}

}  // namespace
