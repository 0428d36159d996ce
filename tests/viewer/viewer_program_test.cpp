// The real vmxtool.exe: its resources, its answers to command lines it refuses, and, when
// a display is there, its windows (title, items, Esc to close).
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formatting.h"
#include "item_rows.h"
#include "quoted.h"
#include "test_files.h"
#include "viewer_process.h"
#include "viewer_texts.h"
#include "wide_text.h"

namespace {

using viewertest::ViewerProcess;

std::string VersionString(const std::string& block, const char* name) {
    UINT size = 0;
    char* value = nullptr;
    std::string key = "\\StringFileInfo\\040C04E4\\" + std::string(name);
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &size) ||
        value == nullptr) {
        return "<missing>";
    }
    return value;
}

TEST(ViewerProgram, CarriesItsVersionAndNames) {
    std::string path = viewertest::ViewerProgramPath();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in " << path;
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS) << "expected 1.0";
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS) << "expected .0.1";
    EXPECT_EQ("VMXTOOL", VersionString(block, "InternalName"));
    EXPECT_EQ("VMXTOOL.EXE", VersionString(block, "OriginalFilename"));
    EXPECT_EQ("Visionneuse VelluMax", VersionString(block, "FileDescription"));
    EXPECT_EQ("1, 0, 0, 1", VersionString(block, "FileVersion"));
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

// Every size a frame's small and big icons take from 100 % to 200 % scaling, so that
// Windows never stretches one.
TEST(ViewerProgram, HasAnIconInEverySizeThatScalingAsksFor) {
    HMODULE module =
        LoadLibraryExA(viewertest::ViewerProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // group icon
    ASSERT_NE(nullptr, found) << "no icon group 1";
    const auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(nullptr, group);
    std::vector<int> sizes;
    for (int i = 0; i < group->count; ++i) {
        const IconGroupEntry& e = group->entries[i];
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(32, e.bitCount) << "with alpha";
        sizes.push_back(e.width);
        EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(e.id), MAKEINTRESOURCEA(3)))
            << "icon image " << e.id << " is missing";
    }
    EXPECT_EQ((std::vector<int>{16, 20, 24, 32, 40, 48, 64}), sizes);
    FreeLibrary(module);
}

// Without a display a message box returns at once; with one, the helper confirms it.
DWORD ExitCodeOf(const std::string& arguments) {
    ViewerProcess viewer(arguments);
    EXPECT_TRUE(viewer.Started()) << viewertest::ViewerProgramPath();
    DWORD code = 12345;
    int boxes = 0;
    EXPECT_TRUE(viewer.WaitForExit(code, &boxes)) << "the viewer did not end for: " << arguments;
    if (viewertest::HasDisplay()) {
        EXPECT_GE(boxes, 1) << "no message box for: " << arguments;
    }
    return code;
}

TEST(ViewerProgram, RefusedCommandLinesEndWithAMessageNotACrash) {
    for (const char* arguments : {"", "\"\"", "/dinfo", "\"C:\\x\" /q", "\"C:\\x\" /f",
                                  "\"C:\\x\" /dinfo more", "\"C:\\x\" \"C:\\y\" \"C:\\z\""}) {
        EXPECT_EQ(1u, ExitCodeOf(arguments)) << "arguments: " << arguments;
    }
}

TEST(ViewerProgram, AListThatCannotBeOpenedEndsWithItsOwnCode) {
    vmxtest::TempFolder folder;
    EXPECT_EQ(2u, ExitCodeOf("\"C:\\x\" /f \"" + folder.File("VM0001.tmp") + "\""));
    // Devices are no lists: reading COM1 would wait for ever, without a window.
    for (const char* device : {"COM1", "NUL", "CON"})
        EXPECT_EQ(2u, ExitCodeOf(std::string("\"C:\\x\" /f ") + device)) << device;
}

const ViewerTexts& ExpectedTexts() {
    const char* locale = std::getenv("LC_ALL");
    bool japanese = locale != nullptr && std::string(locale).rfind("ja", 0) == 0;
    return japanese ? kJapaneseTexts : kFrenchTexts;
}

const char* ExpectedProductName() {
    return ExpectedTexts().ProductName;
}

std::string TitleOf(HWND window) {
    char title[512] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

void CloseWithEscape(HWND window, ViewerProcess& viewer) {
    HWND focus = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    HWND target = focus != nullptr ? focus : window;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD code = 12345;
    ASSERT_TRUE(viewer.WaitForExit(code)) << "Esc did not close the window";
    EXPECT_EQ(0u, code);
}

TEST(ViewerWindows, OneItemShowsItsWindowAndEscCloses) {
    if (!viewertest::HasDisplay())
        GTEST_SKIP() << "no display (DISPLAY is not set): windows not shown";
    vmxtest::TempFolder folder;
    std::string file = folder.File("shown.txt");
    vmxtest::WriteFileBytes(file, "hello");
    ViewerProcess viewer(viewertest::Quoted(file));
    HWND window = viewer.WaitForWindow("VelluMaxViewerItems");
    ASSERT_NE(nullptr, window) << "no items window appeared";
    EXPECT_EQ(std::string(ExpectedProductName()) + " - " + file, TitleOf(window));
    HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    CloseWithEscape(window, viewer);
}

TEST(ViewerWindows, AListShowsEveryItemAndIsDeleted) {
    if (!viewertest::HasDisplay())
        GTEST_SKIP() << "no display (DISPLAY is not set): windows not shown";
    vmxtest::TempFolder folder;
    vmxtest::WriteFileBytes(folder.File("a.txt"), "a");
    CreateDirectoryA(folder.File("sub").c_str(), nullptr);
    char temp[MAX_PATH + 1] = {}, list[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    ASSERT_NE(0u, GetTempFileNameA(temp, "VM", 0, list));
    vmxtest::WriteFileBytes(list, "3\r\n" + folder.File("a.txt") + "\r\n" + folder.File("sub") +
                                      "\r\n" + folder.File("missing.txt") + "\r\n");

    ViewerProcess viewer(viewertest::Quoted(folder.File("missing.txt")) + " /f " +
                         viewertest::Quoted(list));
    HWND window = viewer.WaitForWindow("VelluMaxViewerItems");
    ASSERT_NE(nullptr, window) << "no items window appeared";
    EXPECT_EQ(0u, TitleOf(window).find(ExpectedProductName())) << TitleOf(window);
    HWND listView = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, listView);
    EXPECT_EQ(3, SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_FALSE(vmxtest::FileExists(list)) << "the list file was not deleted";
    CloseWithEscape(window, viewer);
}

// The viewer traces what it does into a file of the test for one scope.
class TracedViewer {
public:
    explicit TracedViewer(const std::string& file) : file_(file) {
        SetEnvironmentVariableA("VMXTOOL_TRACE", file.c_str());
    }
    ~TracedViewer() { SetEnvironmentVariableA("VMXTOOL_TRACE", nullptr); }
    TracedViewer(const TracedViewer&) = delete;
    TracedViewer& operator=(const TracedViewer&) = delete;

    // The trace once it holds `line`, or as it is when it never does (a bounded wait).
    std::string WaitFor(const std::string& line) const {
        std::string bytes;
        for (int i = 0; i < 600 && bytes.find(line) == std::string::npos; ++i, Sleep(50))
            bytes = vmxtest::FileExists(file_) ? vmxtest::ReadFileBytes(file_) : "";
        return bytes;
    }

private:
    std::string file_;
};

// A list as the extension writes it, in the temporary folder, so that the viewer takes it
// as its own.
std::string TemporaryList(const std::vector<std::string>& paths) {
    char temp[MAX_PATH + 1] = {}, list[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    if (GetTempFileNameA(temp, "VM", 0, list) == 0) return "";
    std::string bytes = std::to_string(paths.size()) + "\r\n";
    for (const std::string& path : paths) bytes += path + "\r\n";
    vmxtest::WriteFileBytes(list, bytes);
    return list;
}

std::wstring StatusCount(HWND window) {
    HWND status = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
    wchar_t text[256] = {};
    // Sent, not GetWindowText, which would not ask another process: the first part.
    if (status != nullptr) SendMessageW(status, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

// With thousands of items the window shows and its message loop runs before the viewer
// asks the file system about the first one: the shell that waits for the viewer to be
// ready goes on at once. The look-up follows, and the status bar ends counting them all.
TEST(ViewerWindows, ThousandsOfItemsShowBeforeAnyIsLookedUp) {
    if (!viewertest::HasDisplay())
        GTEST_SKIP() << "no display (DISPLAY is not set): windows not shown";
    vmxtest::TempFolder folder;
    std::vector<std::string> paths;
    for (int i = 0; i < 8192; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
        paths.push_back(folder.File(name));  // missing ones are looked up all the same
    }
    std::string list = TemporaryList(paths);
    ASSERT_FALSE(list.empty());
    TracedViewer trace(folder.File("trace.txt"));
    ViewerProcess viewer(viewertest::Quoted(paths.back()) + " /f " + viewertest::Quoted(list));
    HWND window = viewer.WaitForWindow("VelluMaxViewerItems");
    ASSERT_NE(nullptr, window) << "no items window appeared";

    std::string lines = trace.WaitFor("looked up: 8192\r\n");
    size_t shown = lines.find("window: 8192 rows\r\n");
    size_t loop = lines.find("loop: running\r\n");
    size_t lookup = lines.find("lookup: started\r\n");
    ASSERT_NE(std::string::npos, lookup) << "the look-up never started";
    EXPECT_LT(shown, loop) << "the loop ran before the window showed";
    EXPECT_LT(loop, lookup) << "an item was looked up before the message loop ran";
    EXPECT_NE(std::string::npos, lines.find("looked up: 8192\r\n")) << "the look-up stopped";

    HWND items = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, items);
    EXPECT_EQ(8192, SendMessageA(items, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(8191, SendMessageA(items, LVM_GETNEXTITEM, -1, LVNI_FOCUSED))
        << "the item named on the command line has the focus";
    const std::wstring all = ShownText(ItemCountText(8192, ExpectedTexts()), ExpectedTexts());
    for (int i = 0; i < 100 && StatusCount(window) != all; ++i) Sleep(50);
    EXPECT_EQ(all, StatusCount(window)) << "the status bar did not end counting every item";
    CloseWithEscape(window, viewer);
}

// A virtual list keeps its items where they are and reorders its rows: after each sort
// every row shows the item it now holds, with that item's size, and the item named on
// the command line stays chosen wherever it moves.
TEST(ViewerWindows, ASortedListShowsEachItemInItsNewRow) {
    if (!viewertest::HasDisplay())
        GTEST_SKIP() << "no display (DISPLAY is not set): windows not shown";
    vmxtest::TempFolder folder;
    const int sizes[] = {5, 30, 1};  // c, a, b
    const char* names[] = {"c.txt", "a.txt", "b.txt"};
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(folder.File(names[i]));
        vmxtest::WriteFileBytes(paths.back(), std::string(sizes[i], 'x'));
    }
    TracedViewer trace(folder.File("trace.txt"));
    ViewerProcess viewer(viewertest::Quoted(paths[0]) + " /f " +
                         viewertest::Quoted(TemporaryList(paths)));
    HWND window = viewer.WaitForWindow("VelluMaxViewerItems");
    ASSERT_NE(nullptr, window) << "no items window appeared";
    HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, list);
    trace.WaitFor("looked up: 3\r\n");

    const ViewerTexts& texts = ExpectedTexts();
    auto rows = [&] {
        std::wstring shown;
        for (int row = 0; row < 3; ++row) {
            shown += viewer.ListText(list, row, kColumnName) + L" " +
                     viewer.ListText(list, row, kColumnSize) + L"; ";
        }
        return shown;
    };
    auto expect = [&](std::vector<int> order) {
        std::wstring shown;
        for (int i : order)
            shown +=
                WidePath(names[i]) + L" " + ShownText(FormatSize(sizes[i], texts), texts) + L"; ";
        return shown;
    };
    auto sortBy = [&](int column, const std::wstring& wanted) {
        viewertest::ClickColumn(list, column);
        for (int i = 0; i < 100 && rows() != wanted; ++i) Sleep(50);
        return rows();
    };
    EXPECT_EQ(expect({0, 1, 2}), rows()) << "before any sort: the list's order";
    EXPECT_EQ(expect({1, 2, 0}), sortBy(kColumnName, expect({1, 2, 0})));
    EXPECT_EQ(2, SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)) << "c.txt's row";
    EXPECT_EQ(expect({2, 0, 1}), sortBy(kColumnSize, expect({2, 0, 1})));
    EXPECT_EQ(1, SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)) << "c.txt's row";
    EXPECT_EQ(expect({1, 0, 2}), sortBy(kColumnSize, expect({1, 0, 2}))) << "size, descending";
    EXPECT_EQ(1, SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)) << "c.txt's row";
    EXPECT_EQ(1, SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    CloseWithEscape(window, viewer);
}

TEST(ViewerWindows, DiskInformationHasItsOwnWindow) {
    if (!viewertest::HasDisplay())
        GTEST_SKIP() << "no display (DISPLAY is not set): windows not shown";
    vmxtest::TempFolder folder;
    ViewerProcess viewer(viewertest::Quoted(folder.Path()) + " /dinfo");
    HWND window = viewer.WaitForWindow("VelluMaxViewerDisk");
    ASSERT_NE(nullptr, window) << "no disk window appeared";
    EXPECT_EQ(0u, TitleOf(window).find(ExpectedProductName())) << TitleOf(window);
    HWND lines = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, lines);
    EXPECT_EQ(7, SendMessageA(lines, LVM_GETITEMCOUNT, 0, 0));
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD code = 12345;
    ASSERT_TRUE(viewer.WaitForExit(code)) << "Esc did not close the disk window";
    EXPECT_EQ(0u, code);
}

// The screen's dpi for the programs started in a scope: Wine reads it from the prefix's
// registry as each program starts. The old setting comes back at scope exit.
class ScopedScreenDpi {
public:
    explicit ScopedScreenDpi(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        hadOld_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
        RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }
    ~ScopedScreenDpi() {
        if (hadOld_)
            RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                           sizeof old_);
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    ScopedScreenDpi(const ScopedScreenDpi&) = delete;
    ScopedScreenDpi& operator=(const ScopedScreenDpi&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool hadOld_ = false;
};

struct Layout {
    int windowWidth;
    int columns[4];
    int diskClientWidth;
};

Layout LayoutAt(DWORD dpi, const std::string& file, const std::string& folder) {
    ScopedScreenDpi screen(dpi);
    Layout layout = {};
    {
        ViewerProcess viewer(viewertest::Quoted(file));
        HWND window = viewer.WaitForWindow("VelluMaxViewerItems");
        EXPECT_NE(nullptr, window) << "no items window at " << dpi << " dpi";
        if (window == nullptr) return layout;
        RECT frame;
        GetWindowRect(window, &frame);
        layout.windowWidth = frame.right - frame.left;
        HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
        for (int i = 0; i < 4; ++i)
            layout.columns[i] = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
        CloseWithEscape(window, viewer);
    }
    ViewerProcess disk(viewertest::Quoted(folder) + " /dinfo");
    HWND window = disk.WaitForWindow("VelluMaxViewerDisk");
    EXPECT_NE(nullptr, window) << "no disk window at " << dpi << " dpi";
    if (window == nullptr) return layout;
    RECT client;
    GetClientRect(window, &client);
    layout.diskClientWidth = client.right;
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD code = 0;
    EXPECT_TRUE(disk.WaitForExit(code));
    return layout;
}

// At 150 % (144 dpi) both windows and the list's columns are laid out half as large again
// as at 100 %, where they keep their sizes. Changes the prefix's dpi: runs alone.
TEST(ViewerWindows, LaysOutItsWindowsForTheScreensDpi) {
    if (!viewertest::HasDisplay())
        GTEST_SKIP() << "no display (DISPLAY is not set): windows not shown";
    vmxtest::TempFolder folder;
    std::string file = folder.File("shown.txt");
    vmxtest::WriteFileBytes(file, "hello");
    Layout normal = LayoutAt(96, file, folder.Path());
    EXPECT_EQ(800, normal.windowWidth);
    EXPECT_EQ(220, normal.columns[0]);
    EXPECT_EQ(130, normal.columns[3]);
    EXPECT_EQ(460, normal.diskClientWidth);
    Layout large = LayoutAt(144, file, folder.Path());
    EXPECT_EQ(1200, large.windowWidth);
    EXPECT_EQ((std::vector<int>{330, 420, 180, 195}),
              std::vector<int>(large.columns, large.columns + 4));
    EXPECT_EQ(690, large.diskClientWidth);
}

}  // namespace
