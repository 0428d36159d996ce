// 8,192 real files of one folder, selected and invoked through the built DLL: every one
// reaches the viewer's list, in order, and collecting them stays a small part of the start.
#include <gtest/gtest.h>

#include <cstdio>

#include "launch_fixture.h"
#include "menu_test_support.h"

namespace menutest {
namespace {

using launchtest::ExpectedListBytes;
using vmxtest::ComHold;
using vmxtest::Escaped;

class ManyItemsTest : public BuiltMenuDll {
protected:
    vmxtest::TempFolder files_{"vmxmany"};
    launchtest::ScopedEnvironmentVariable tmp_{"TMP", lists_.Path()};
};

TEST_F(ManyItemsTest, EightThousandOneHundredNinetyTwoFilesReachTheViewersList) {
    const int kCount = 8192;
    std::vector<std::wstring> names;
    std::vector<std::string> expected;
    for (int i = 0; i < kCount; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"IMG_%05d.jpg", i);
        names.push_back(name);
        CreateEmptyFile(Wide(files_.Path()) + L"\\" + name);
        if (HasFatalFailure()) return;
        expected.push_back(files_.Path() + "\\" + std::string(name, name + lstrlenW(name)));
    }
    ComHold<IShellItemArray> items(ItemsInFolder(Wide(files_.Path()), names));
    ASSERT_NE(nullptr, items.Get());
    ComHold<IExplorerCommand> command;
    MakeCommand(command);
    if (HasFatalFailure()) return;

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    EXPECT_EQ(S_OK, command->Invoke(items.Get(), nullptr));
    QueryPerformanceCounter(&end);
    double seconds = double(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    std::printf("Invoke with %d items blocked for %.1f ms\n", kCount, seconds * 1000);

    ASSERT_TRUE(ViewerReported()) << "no viewer reported within 20 s";
    EXPECT_EQ("ok", Recorded("done"));
    std::string list = Recorded("list.bin");
    EXPECT_EQ(ExpectedListBytes(expected).size(), list.size());
    EXPECT_TRUE(ExpectedListBytes(expected) == list)
        << "the list differs; it begins " << Escaped(list.substr(0, 200));
    // Asking each item for its path through its own folder binding took seconds per
    // thousand items here; the folder asked once keeps the whole collection far below that.
    EXPECT_LT(seconds, 5.0) << "Invoke blocked too long for " << kCount << " items";
}

}  // namespace
}  // namespace menutest
