// Reading the command line: how arguments are split and which flow the first one picks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

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

}  // namespace
