// Choosing the command: only offset 0 starts the viewer, on what Initialize captured;
// GetCommandString has nothing to say and leaves the caller's buffer alone.
#include <gtest/gtest.h>

#include <cstring>

#include "handler_test_support.h"
#include "hdrop_data_object.h"
#include "scoped_override.h"
#include "test_files.h"

using handlertest::NewHandler;
using handlertest::Object;
using vmxtest::ComHold;

namespace {

struct Start {
    std::string commandLine;
    UINT show;
};
std::vector<Start> starts;

UINT WINAPI RecordStart(LPCSTR commandLine, UINT show) {
    starts.push_back({commandLine, show});
    return 33;  // what WinExec answers for a started program
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        starts.clear();
        ASSERT_NE(nullptr, menu_.Get());
        // The list file of a multiple selection lands in a folder of this test's own.
        GetEnvironmentVariableA("TMP", savedTmp_, sizeof savedTmp_);
        SetEnvironmentVariableA("TMP", temp_.Path().c_str());
    }
    void TearDown() override { SetEnvironmentVariableA("TMP", savedTmp_[0] ? savedTmp_ : nullptr); }

    void Select(const std::vector<std::string>& paths) {
        ComHold<vmxtest::HDropDataObject> data(vmxtest::HDropDataObject::Create(paths));
        ASSERT_EQ(S_OK, static_cast<IShellExtInit*>(Object(menu_.Get()))
                            ->Initialize(nullptr, data.Get(), nullptr));
    }
    HRESULT Invoke(const char* verb, int show = SW_SHOWNORMAL) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = verb;
        info.nShow = show;
        return menu_->InvokeCommand(&info);
    }

    vmxtest::TempFolder temp_{"vmxinvoke"};
    char savedTmp_[MAX_PATH] = {};
    ComHold<IContextMenu> menu_{NewHandler()};
    vmxtest::ScopedOverride<decltype(SystemCalls.WinExec)> exec_{SystemCalls.WinExec, &RecordStart};
};

TEST_F(CommandTest, OnlyOffsetZeroIsOurs) {
    Select({"C:\\a.txt", "C:\\b.txt"});
    EXPECT_EQ(E_INVALIDARG, Invoke("open")) << "a verb given by name";
    EXPECT_EQ(E_INVALIDARG, Invoke(MAKEINTRESOURCEA(1))) << "command offset 1";
    EXPECT_EQ(E_INVALIDARG, Invoke(reinterpret_cast<const char*>(ULONG_PTR{0x10000})))
        << "a verb pointer whose low word is 0";
    // On x64 a name can lie where only the pointer's upper half is set.
    EXPECT_EQ(E_INVALIDARG,
              Invoke(reinterpret_cast<const char*>(ULONG_PTR{1} << (8 * sizeof(void*) - 4))))
        << "a verb pointer whose low 32 bits are 0";
    EXPECT_TRUE(starts.empty()) << "a refused command started the viewer";
    EXPECT_TRUE(vmxtest::FolderEntries(temp_.Path()).empty()) << "a refused command wrote a list file";
}

TEST_F(CommandTest, OffsetZeroStartsTheViewerOnTheCapturedSelection) {
    Select({"C:\\x\\y.txt"});
    EXPECT_EQ(S_OK, Invoke(MAKEINTRESOURCEA(0), SW_HIDE));
    ASSERT_EQ(1u, starts.size());
    EXPECT_TRUE(EndsWith(starts[0].commandLine, " \"C:\\x\\y.txt\"")) << starts[0].commandLine;
    EXPECT_EQ(static_cast<UINT>(SW_SHOW), starts[0].show)
        << "the request's show command is not used";

    // Two paths go through a list file; the path before /f is the last one captured.
    Select({"C:\\first.txt", "C:\\second.txt"});
    starts.clear();
    EXPECT_EQ(S_OK, Invoke(MAKEINTRESOURCEA(0)));
    ASSERT_EQ(1u, starts.size());
    const std::string& line = starts[0].commandLine;
    size_t list = line.find(" \"C:\\second.txt\" /f \"");
    ASSERT_NE(std::string::npos, list) << line;
    std::string listFile = line.substr(list + std::strlen(" \"C:\\second.txt\" /f \""));
    ASSERT_TRUE(EndsWith(listFile, "\"")) << line;
    listFile.pop_back();
    EXPECT_EQ("2\r\nC:\\first.txt\r\nC:\\second.txt\r\n", vmxtest::ReadFileBytes(listFile));
}

TEST_F(CommandTest, GetCommandStringWritesNothing) {
    const UINT types[] = {GCS_VERBA, GCS_HELPTEXTA, GCS_VALIDATEA,
                          GCS_VERBW, GCS_HELPTEXTW, GCS_VALIDATEW};
    for (UINT type : types) {
        char buffer[64];
        std::memset(buffer, 0xCC, sizeof buffer);
        EXPECT_EQ(S_OK, menu_->GetCommandString(0, type, nullptr, buffer, sizeof buffer)) << type;
        for (size_t i = 0; i < sizeof buffer; ++i)
            ASSERT_EQ('\xCC', buffer[i]) << "byte " << i << " changed for type " << type;
    }
    EXPECT_EQ(S_OK, menu_->GetCommandString(0, GCS_HELPTEXTA, nullptr, nullptr, 0));
}

}  // namespace
