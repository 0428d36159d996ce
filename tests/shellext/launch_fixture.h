// What the viewer-launch tests share: a temporary folder of their own that the launch
// code sees as the user's temporary directory, the viewer starts recorded instead of
// made, selections held the way the handler holds them, and the list file's expected bytes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "scoped_override.h"
#include "system_calls.h"
#include "test_files.h"

namespace launchtest {

// Sets an environment variable of this process for a scope; the old value (or its
// absence) comes back at scope exit. Held in UTF-16, so that a value outside the ANSI code
// page (a temporary folder named so) is kept whole.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char* name, const std::string& value);
    ScopedEnvironmentVariable(const std::wstring& name, const std::wstring& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::wstring name_;
    std::wstring saved_;
    bool hadValue_ = false;
};

struct ViewerStart {
    std::string commandLine;
    UINT show;
};

// Replaces WinExec in the table for a scope and records every start asked for.
class RecordedViewerStarts {
public:
    RecordedViewerStarts();
    ~RecordedViewerStarts();
    RecordedViewerStarts(const RecordedViewerStarts&) = delete;
    RecordedViewerStarts& operator=(const RecordedViewerStarts&) = delete;
    const std::vector<ViewerStart>& Starts() const { return starts_; }

private:
    static UINT WINAPI Record(LPCSTR commandLine, UINT show);
    static RecordedViewerStarts* current_;
    vmxtest::ScopedOverride<decltype(SystemCalls.WinExec)> guard_;
    std::vector<ViewerStart> starts_;
};

// Paths held in 260-character buffers, as the handler captures them.
class Selection {
public:
    explicit Selection(const std::vector<std::string>& paths);
    char* const* Paths() const { return pointers_.data(); }
    int Count() const { return static_cast<int>(pointers_.size()); }
    // The handler's LastPath: the last path read from the selection.
    const char* LastPath() const { return pointers_.empty() ? "" : pointers_.back(); }

private:
    std::vector<std::array<char, MAX_PATH>> buffers_;
    std::vector<char*> pointers_;
};

// A path of exactly `length` characters under C:\, in folders of ordinary name lengths.
std::string PathOfLength(size_t length);
// Paths such as users keep: several folders deep, spaces, accented letters (CP1252 bytes),
// between roughly 40 and 160 characters, no two alike.
std::vector<std::string> RealisticPaths(int count);
// The list file named after " /f " in a command line, without its quotes; empty when the
// line is not of the list form.
std::string ListFileNamedIn(const std::string& commandLine);
// The list file the viewer must find for these paths: the count, then one path a line.
std::string ExpectedListBytes(const std::vector<std::string>& paths);

// Each test runs with TMP naming a fresh folder, so every file the launch code creates
// lands there and nothing else is in it.
class LaunchTest : public ::testing::Test {
protected:
    std::vector<std::string> TempFiles() const { return vmxtest::FolderEntries(temp_.Path()); }
    // Where the code under test looks for the viewer when it is linked into this program.
    static std::string ViewerBesideProgram();
    static std::string OnePathLine(const std::string& viewer, const std::string& lastPath);
    static std::string ListLine(const std::string& viewer, const std::string& lastPath,
                                const std::string& listFile);

    vmxtest::TempFolder temp_{"vmxlaunch"};
    ScopedEnvironmentVariable tmp_{"TMP", temp_.Path()};
    RecordedViewerStarts viewer_;
};

}  // namespace launchtest
