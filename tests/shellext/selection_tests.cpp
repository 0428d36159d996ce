// Capturing the selection: which paths the handler keeps from a CF_HDROP data object, what
// a failed Initialize leaves, and that earlier strings and the medium are given back.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <cstring>
#include <random>

#include "handler_test_support.h"
#include "hdrop_data_object.h"
#include "live_objects.h"
#include "test_files.h"

using handlertest::CapturedPaths;
using handlertest::NewHandler;
using handlertest::Object;
using vmxtest::ComHold;
using vmxtest::Escaped;
using vmxtest::HDropDataObject;

namespace {

std::vector<std::string> NumberedPaths(int count) {
    std::vector<std::string> paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "C:\\Photos\\2023\\IMG_%05d.JPG", i + 1);
        paths.push_back(path);
    }
    return paths;
}

std::string AnsiOf(const std::wstring& text) {
    char bytes[2 * MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

bool CodePageHolds(const std::wstring& text) {
    std::string bytes = AnsiOf(text);
    wchar_t back[2 * MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, back, 2 * MAX_PATH);
    return text == back;
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

    // Captures a selection given as UTF-16 paths.
    HRESULT CaptureWide(const std::vector<std::wstring>& paths) {
        ComHold<HDropDataObject> data(HDropDataObject::CreateWide(paths));
        return Capture(data.Get());
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

    // A Unicode shell hands over UTF-16 paths; the handler reads them in the ANSI code page:
    // "C:\Données\résumé.txt" in code page 1252, "C:\データ\報告.txt" in code page 932.
    const std::string accented = GetACP() == 932
                                     ? "C:\\\x83\x66\x81\x5B\x83\x5E\\\x95\xF1\x8D\x90.txt"
                                     : "C:\\Donn\xE9"
                                       "es\\r\xE9sum\xE9.txt";
    const std::vector<std::string> paths = {accented, "D:\\b c\\d.doc"};
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
        std::string block;  // served as it is when not empty
    };
    // Malformed blocks, whose every read must stay inside (tests/shellext/drop_list_tests).
    std::string unterminated = vmxtest::DropFilesBytes({"C:\\a.txt", "C:\\b.txt"}, false);
    unterminated.pop_back();
    std::string outside = vmxtest::DropFilesBytes({"C:\\a.txt"}, false);
    reinterpret_cast<DROPFILES*>(outside.data())->pFiles = 0x7FFFFFF0;
    const Case cases[] = {
        {"null data object", true, S_OK, {}, {}},
        {"GetData refused", false, DV_E_FORMATETC, {"C:\\a.txt"}, {}},
        {"empty drop list", false, S_OK, {}, {}},
        {"list without its empty name", false, S_OK, {}, unterminated},
        {"names starting outside the block", false, S_OK, {}, outside},
        {"header cut short", false, S_OK, {}, outside.substr(0, sizeof(DROPFILES) - 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(S_OK, Capture({"C:\\earlier\\1.txt", "C:\\earlier\\2.txt"}));
        ComHold<HDropDataObject> data(c.block.empty() ? HDropDataObject::Create(c.paths)
                                                      : HDropDataObject::CreateRaw(c.block));
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

TEST_F(SelectionTest, NamesTheCodePageHoldsKeepTheBytesDragQueryFileAGives) {
    // Characters of several scripts, those the system's code page holds; long names take
    // single-byte ones only, or their ANSI form could not fit a path buffer at all.
    std::wstring characters, singleByte;
    for (wchar_t c : std::wstring(L"aZ09 _-.,'()[]~!#$%&+=@^\x00E9\x00E0\x00E7\x00FC\x0153\x20AC"
                                  L"\x3042\x30AB\x65E5\x8868\x30BD\xFF71\x0416\x03A9")) {
        if (!CodePageHolds({c})) continue;
        characters += c;
        if (AnsiOf({c}).size() == 1) singleByte += c;
    }
    std::mt19937 random(20240612);
    for (int round = 0; round < 80; ++round) {
        const bool wide = round % 2 == 0;
        std::vector<std::string> names(1 + random() % 12);
        for (std::string& name : names) {
            const bool longName = random() % 6 == 0;
            const std::wstring& pool = longName ? singleByte : characters;
            std::wstring text(longName ? 200 + random() % 100 : 1 + random() % 60, L' ');
            for (wchar_t& c : text) c = pool[random() % pool.size()];
            name = wide ? vmxtest::WideBytes(text) : AnsiOf(text);
        }
        const std::string block = vmxtest::DropFilesBytes(names, wide);
        HGLOBAL drop = GlobalAlloc(GMEM_FIXED, block.size());
        std::memcpy(drop, block.data(), block.size());
        ComHold<HDropDataObject> data(HDropDataObject::CreateRaw(block));
        ASSERT_EQ(S_OK, Capture(data.Get())) << "round " << round;
        std::vector<std::string> captured = CapturedPaths(menu_);
        ASSERT_EQ(DragQueryFileA(static_cast<HDROP>(drop), 0xFFFFFFFF, nullptr, 0),
                  captured.size());
        for (UINT i = 0; i < captured.size(); ++i) {
            char expected[MAX_PATH] = {};
            DragQueryFileA(static_cast<HDROP>(drop), i, expected, MAX_PATH);
            EXPECT_EQ(Escaped(expected), Escaped(captured[i]))
                << "round " << round << ", " << (wide ? "wide" : "ANSI") << " name " << i;
        }
        EXPECT_EQ(captured.back(), Object(menu_)->LastPath);
        GlobalFree(drop);
    }
}

// Real files whose names lie outside the code page of the one system or the other, as a
// Unicode shell selects them: each path that arrives opens its own file, never a neighbour
// that a best-fit mapping names (é becoming e on code page 932).
TEST_F(SelectionTest, EveryNameArrivesAsAPathThatOpensItsOwnFile) {
    vmxtest::TempFolder folder("vmx names");
    const std::wstring where(folder.Path().begin(), folder.Path().end());
    std::vector<std::wstring> paths;
    for (const wchar_t* name :
         {L"\x65E5\x672C\x8A9E\x306E\x30E1\x30E2.txt", L"\x041C\x0438\x0440 \x0434\x0430.txt",
          L"\xD83D\xDE00 sourire.txt", L"caf\x00E9 cr\x00E8me.txt", L"plain.txt"}) {
        paths.push_back(where + L"\\" + name);
        HANDLE file = CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << "is LC_ALL a UTF-8 locale?";
        DWORD written = 0;
        WriteFile(file, std::to_string(paths.size()).c_str(), 1, &written, nullptr);
        CloseHandle(file);
    }
    vmxtest::WriteFileBytes(folder.File("cafe creme.txt"), "the neighbour");

    ASSERT_EQ(S_OK, CaptureWide(paths));
    std::vector<std::string> captured = CapturedPaths(menu_);
    ASSERT_EQ(paths.size(), captured.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        std::string content =
            vmxtest::FileExists(captured[i]) ? vmxtest::ReadFileBytes(captured[i]) : "";
        EXPECT_EQ(std::to_string(i + 1), content)
            << "path " << i << " arrived as " << Escaped(captured[i]) << ", which does not open it";
        if (CodePageHolds(paths[i])) {
            EXPECT_EQ(Escaped(AnsiOf(paths[i])), Escaped(captured[i])) << "its own bytes";
        }
    }
}

TEST_F(SelectionTest, WithoutAShortNameACharacterOutsideTheCodePageBecomesAQuestionMark) {
    const bool japanese = GetACP() == 932;
    const struct {
        const wchar_t* path;
        const char* french;    // code page 1252
        const char* japanese;  // code page 932
    } cases[] = {
        {L"C:\\nulle part\\caf\x00E9.txt", "C:\\nulle part\\caf\xE9.txt",
         "C:\\nulle part\\caf?.txt"},
        {L"C:\\nulle part\\\x65E5\x672C.txt", "C:\\nulle part\\??.txt",
         "C:\\nulle part\\\x93\xFA\x96\x7B.txt"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, CaptureWide({c.path}));
        EXPECT_EQ(Escaped(japanese ? c.japanese : c.french), Escaped(Object(menu_)->LastPath));
    }
    // 200 times 日: in code page 932 its ANSI form does not fit a path buffer, and ends
    // after the last whole character that does, with its terminating zero.
    const std::wstring longName = L"C:\\nulle part\\" + std::wstring(200, L'\x65E5');
    ASSERT_EQ(S_OK, CaptureWide({longName}));
    EXPECT_EQ(Escaped(japanese ? AnsiOf(longName).substr(0, 258)
                               : "C:\\nulle part\\" + std::string(200, '?')),
              Escaped(Object(menu_)->LastPath));
}

}  // namespace
