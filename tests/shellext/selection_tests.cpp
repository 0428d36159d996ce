// Capturing the selection: which paths the handler keeps from a CF_HDROP data object, what
// a failed Initialize leaves, and that earlier strings and the medium are given back.
#include <gtest/gtest.h>

#include <cstdio>

#include "handler_test_support.h"
#include "hdrop_data_object.h"
#include "live_objects.h"
#include "test_files.h"

using handlertest::CapturedPaths;
using handlertest::NewHandler;
using handlertest::Object;
using vmxtest::ComHold;
using vmxtest::HDropDataObject;

namespace {

std::vector<std::string> NumberedPaths(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "C:\\Photos\\2023\\IMG_%05d.JPG", i + 1);
        paths.push_back(path);
    }
    return paths;
}

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, LiveObjectCount);
        menu_ = NewHandler();
        ASSERT_NE(nullptr, menu_);
        init_ = static_cast<IShellExtInit*>(Object(menu_));
    }
    void TearDown() override {
        if (menu_) {
            EXPECT_EQ(0u, menu_->Release());
        }
        EXPECT_EQ(0, LiveObjectCount);
    }
    HRESULT Capture(HDropDataObject* data) { return init_->Initialize(nullptr, data, nullptr); }
    // Captures paths through a fresh data object and checks the medium came back.
    HRESULT Capture(const std::vector<std::string>& paths, bool wide = false) {
        ComHold<HDropDataObject> data(HDropDataObject::Create(paths, wide));
        HRESULT result = Capture(data.Get());
        EXPECT_EQ(data->MediaGiven(), data->MediaReleased()) << "a medium was not released";
        return result;
    }

    IContextMenu* menu_ = nullptr;
    IShellExtInit* init_ = nullptr;
};

TEST_F(SelectionTest, KeepsTheFirst8192PathsOfALargerSelection) {
    const std::vector<std::string> paths = NumberedPaths(10000);
    ASSERT_EQ(S_OK, Capture(paths));
    ASSERT_EQ(8192, Object(menu_)->SelectedCount);
    std::vector<std::string> captured = CapturedPaths(menu_);
    for (int i = 0; i < 8192; ++i) ASSERT_EQ(paths[i], captured[i]) << "captured path " << i;
    EXPECT_EQ(paths[8191], Object(menu_)->LastPath) << "LastPath is the last path read";
}

TEST_F(SelectionTest, KeepsOneFolderAndPathsFromAUnicodeDropList) {
    vmxtest::TempFolder folder("vmx selection");
    ASSERT_EQ(S_OK, Capture({folder.Path()}));
    EXPECT_EQ(std::vector<std::string>{folder.Path()}, CapturedPaths(menu_));
    EXPECT_EQ(folder.Path(), Object(menu_)->LastPath);

    // A Unicode shell hands over UTF-16 paths; the handler reads them in the ANSI code page.
    // "C:\Données\résumé.txt" in code page 1252, the code page these tests run under.
    const std::vector<std::string> paths = {
        "C:\\Donn\xE9"
        "es\\r\xE9sum\xE9.txt",
        "D:\\b c\\d.doc"};
    ASSERT_EQ(S_OK, Capture(paths, /*wide=*/true));
    EXPECT_EQ(paths, CapturedPaths(menu_));
    EXPECT_EQ(paths.back(), Object(menu_)->LastPath);
}

TEST_F(SelectionTest, AFailedInitializeLeavesNoPaths) {
    struct Case {
        const char* what;
        bool nullObject;
        HRESULT getDataFailure;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"null data object", true, S_OK, {}},
        {"GetData refused", false, DV_E_FORMATETC, {"C:\\a.txt"}},
        {"empty drop list", false, S_OK, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(S_OK, Capture({"C:\\earlier\\1.txt", "C:\\earlier\\2.txt"}));
        ComHold<HDropDataObject> data(HDropDataObject::Create(c.paths));
        if (FAILED(c.getDataFailure)) data->FailGetData(c.getDataFailure);
        EXPECT_EQ(E_FAIL, Capture(c.nullObject ? nullptr : data.Get()));
        EXPECT_EQ(0, Object(menu_)->SelectedCount) << "the earlier selection is still held";
        EXPECT_EQ(data->MediaGiven(), data->MediaReleased()) << "a medium was not released";
        EXPECT_EQ(1u, data->References()) << "the handler kept a reference to the data object";
    }
}

TEST_F(SelectionTest, EarlierStringsAreFreedBeforeANewSelectionAndAtTheEnd) {
    std::vector<void*> first;
    {
        handlertest::ScriptedAllocations record;
        ASSERT_EQ(S_OK, Capture({"C:\\1.txt", "C:\\2.txt", "C:\\3.txt"}));
        first = record.Blocks();
    }
    ASSERT_EQ(3u, first.size());
    for (void* block : first) ASSERT_TRUE(handlertest::IsHeapBlockInUse(block));

    EXPECT_EQ(E_FAIL, Capture(nullptr));
    for (void* block : first)
        EXPECT_FALSE(handlertest::IsHeapBlockInUse(block))
            << "a string of the earlier selection leaked";

    std::vector<void*> second;
    {
        handlertest::ScriptedAllocations record;
        ASSERT_EQ(S_OK, Capture({"C:\\x.txt", "C:\\y.txt"}));
        second = record.Blocks();
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\x.txt", "C:\\y.txt"}), CapturedPaths(menu_));
    std::vector<void*> third;
    {
        handlertest::ScriptedAllocations record;
        ASSERT_EQ(S_OK, Capture({"C:\\z.txt"})) << "a new selection replaces the old one";
        third = record.Blocks();
    }
    EXPECT_EQ(std::vector<std::string>{"C:\\z.txt"}, CapturedPaths(menu_));
    // The heap may hand a freed block straight back for the new path; any other must be free.
    for (void* block : second) {
        if (block != third.at(0)) {
            EXPECT_FALSE(handlertest::IsHeapBlockInUse(block)) << "a replaced string leaked";
        }
    }

    std::vector<void*> last;
    {
        handlertest::ScriptedAllocations record;
        ASSERT_EQ(S_OK, Capture({"C:\\p.txt", "C:\\q.txt"}));
        last = record.Blocks();
    }
    EXPECT_EQ(0u, menu_->Release());
    menu_ = nullptr;
    for (void* block : last)
        EXPECT_FALSE(handlertest::IsHeapBlockInUse(block)) << "a string outlived its handler";
}

TEST_F(SelectionTest, APathThatCannotBeCopiedIsSkipped) {
    const std::vector<std::string> paths = {"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"};
    {
        handlertest::ScriptedAllocations fail({1});
        EXPECT_EQ(S_OK, Capture(paths));
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\a.txt", "C:\\c.txt"}), CapturedPaths(menu_));
    EXPECT_STREQ("C:\\c.txt", Object(menu_)->LastPath);

    {
        handlertest::ScriptedAllocations fail({2});
        EXPECT_EQ(S_OK, Capture(paths));
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}), CapturedPaths(menu_));
    EXPECT_STREQ("C:\\c.txt", Object(menu_)->LastPath)
        << "LastPath is read even when its copy fails";
}

}  // namespace
