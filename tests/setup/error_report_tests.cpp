// The default error report: its exact text, where its address points, how it is shown, and
// the exit code that follows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "child_process.h"
#include "error_report.h"
#include "errors.h"
#include "scoped_override.h"
#include "system_calls.h"
#include "test_files.h"

namespace {

struct Box {
    HWND owner;
    std::string text, caption;
    UINT style;
};
std::vector<Box> g_boxes;

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    g_boxes.push_back({owner, text, caption, style});
    return IDOK;
}

struct CodeSection {
    std::uintptr_t start;
    std::uintptr_t size;
};

// The .text section of a PE image, read from the image's own headers.
CodeSection TextSectionOf(const unsigned char* base) {
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s)
        if (std::memcmp(s->Name, ".text\0\0", 8) == 0)
            return {s->VirtualAddress, s->Misc.VirtualSize};
    return {0, 0};
}

std::string OwnFileName() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(p.rfind('\\') + 1);
}

std::string Hex8(unsigned long value) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX", value);
    return hex;
}

__attribute__((noinline)) void RaiseHere() {
    Raise<EFCreateError>("Cannot create file C:\\x.ini");
}

TEST(DefaultErrorReport, TextNamesClassModuleOffsetAndMessage) {
    const std::string module = OwnFileName();
    const void* address = reinterpret_cast<const void*>(ProgramCodeStart() + 0x1A2B);
    EXPECT_EQ("Exception EWriteError in module " + module + " at 00001A2B.\nStream write error.",
              DefaultErrorReportText("EWriteError", "Stream write error", address));
    // A full stop is added only where there is none and the message is not empty.
    EXPECT_EQ("Exception EListError in module " + module + " at 00001A2B.\nDone.",
              DefaultErrorReportText("EListError", "Done.", address));
    EXPECT_EQ("Exception Exception in module " + module + " at 00001A2B.\n",
              DefaultErrorReportText("Exception", "", address));
    EXPECT_EQ("Exception Exception in module " + module + " at 00001A2B.\nWhy?.",
              DefaultErrorReportText("Exception", "Why?", address));
    // Offsets are 8 upper-case hexadecimal digits.
    const void* high = reinterpret_cast<const void*>(ProgramCodeStart() + 0xABCDE);
    EXPECT_EQ("Exception E in module " + module + " at 000ABCDE.\nm.",
              DefaultErrorReportText("E", "m", high));
}

TEST(DefaultErrorReport, OffsetPointsIntoTheRaisingCode) {
    auto base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    CodeSection text = TextSectionOf(base);
    ASSERT_NE(0u, text.size) << "no .text section in the test program";
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(base) + text.start, ProgramCodeStart());

    const void* raisedAt = nullptr;
    try {
        RaiseHere();
    } catch (const Exception& error) {
        raisedAt = error.RaiseAddress();
    }
    ASSERT_NE(nullptr, raisedAt);
    auto address = reinterpret_cast<std::uintptr_t>(raisedAt);
    auto from = reinterpret_cast<std::uintptr_t>(&RaiseHere);
    // The return address of the raise call lies within RaiseHere's few instructions (or
    // right at their end when the call is the last one).
    EXPECT_GT(address, from) << "raise address before the raising function";
    EXPECT_LE(address, from + 256) << "raise address far beyond the raising function";

    std::uintptr_t offset = address - ProgramCodeStart();
    EXPECT_LT(offset, text.size) << "offset outside the code section";
    std::string report = DefaultErrorReportText("EFCreateError", "m", raisedAt);
    EXPECT_NE(std::string::npos,
              report.find(" at " + Hex8(static_cast<unsigned long>(offset)) + "."))
        << report;
}

TEST(DefaultErrorReport, ErrorLeavingTheWorkIsShownAndGivesExitCode1) {
    g_boxes.clear();
    vmxtest::ScopedOverride box(SystemCalls.MessageBoxA, &RecordBox);
    int exitCode = RunWithErrorReport([] { RaiseHere(); });
    EXPECT_EQ(1, exitCode);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(nullptr, g_boxes[0].owner);
    EXPECT_EQ("Application Error", g_boxes[0].caption);
    EXPECT_EQ(0x2010u, g_boxes[0].style) << "MB_TASKMODAL | MB_ICONERROR";
    const std::string head = "Exception EFCreateError in module " + OwnFileName() + " at ";
    EXPECT_EQ(0u, g_boxes[0].text.find(head)) << g_boxes[0].text;
    EXPECT_EQ(".\nCannot create file C:\\x.ini.",
              g_boxes[0].text.substr(g_boxes[0].text.size() - 30))
        << g_boxes[0].text;
}

TEST(DefaultErrorReport, NormalEndShowsNothingAndGivesExitCode0) {
    g_boxes.clear();
    vmxtest::ScopedOverride box(SystemCalls.MessageBoxA, &RecordBox);
    bool ran = false;
    EXPECT_EQ(0, RunWithErrorReport([&ran] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(g_boxes.empty()) << "a box was shown: " << g_boxes[0].text;
}

TEST(DefaultErrorReport, OutOfMemoryIsReportedToo) {
    g_boxes.clear();
    vmxtest::ScopedOverride box(SystemCalls.MessageBoxA, &RecordBox);
    EXPECT_EQ(1, RunWithErrorReport([] { throw std::bad_alloc(); }));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_NE(std::string::npos, g_boxes[0].text.find("Exception EOutOfMemory in module "))
        << g_boxes[0].text;
}

TEST(ErrorClasses, NamesAndFamilies) {
    EXPECT_STREQ("EFOpenError", EFOpenError("m").ClassName());
    EXPECT_STREQ("ERegistryException", ERegistryException("m").ClassName());
    EXPECT_STREQ("EListError", EListError("m").ClassName());
    // The string list's write errors are stream errors; only EFOpenError is handled by the
    // restart-deletion code, so the others must not be caught as one.
    auto family = [](auto raise) {
        std::string caught;
        try {
            raise();
        } catch (const EFOpenError&) {
            caught = "EFOpenError";
        } catch (const EFilerError& e) {
            caught = std::string("EFilerError:") + e.ClassName();
        } catch (const EStreamError& e) {
            caught = std::string("EStreamError:") + e.ClassName();
        } catch (const Exception& e) {
            caught = std::string("Exception:") + e.ClassName();
        }
        return caught;
    };
    EXPECT_EQ("EFilerError:EWriteError", family([] { Raise<EWriteError>("Stream write error"); }));
    EXPECT_EQ("EStreamError:EFCreateError", family([] { Raise<EFCreateError>("m"); }));
    EXPECT_EQ("EFOpenError", family([] { Raise<EFOpenError>("m"); }));
    EXPECT_EQ("Exception:EListError", family([] { Raise<EListError>("m"); }));
    EXPECT_EQ("Exception:ERegistryException", family([] { Raise<ERegistryException>("m"); }));
}

// The whole path in a program of its own: the report names that program, and the process
// ends with exit code 1.
TEST(DefaultErrorReport, ChildProcessEndsWithExitCode1AfterTheReport) {
    vmxtest::TempFolder folder;
    const std::string child = vmxtest::ProgramFolder() + "error_report_child.exe";
    const std::string report = folder.File("report.txt");

    EXPECT_EQ(1u, vmxtest::RunAndWait("\"" + child + "\" raise \"" + report + "\""));
    ASSERT_TRUE(vmxtest::FileExists(report)) << "no message box was shown";
    std::string box = vmxtest::ReadFileBytes(report);
    const std::string head =
        "owner=0\nstyle=0x2010\ncaption=Application Error\n"
        "text=Exception EListError in module error_report_child.exe at ";
    ASSERT_EQ(0u, box.find(head)) << vmxtest::Escaped(box);
    std::string rest = box.substr(head.size());
    const std::string tail = ".\nList index out of bounds.";
    ASSERT_EQ(8 + tail.size(), rest.size()) << vmxtest::Escaped(rest);
    EXPECT_EQ(tail, rest.substr(8));
    unsigned long offset = std::stoul(rest.substr(0, 8), nullptr, 16);
    EXPECT_EQ(Hex8(offset), rest.substr(0, 8)) << "not 8 upper-case hexadecimal digits";

    // The offset lies inside the child's code section, read from its file.
    HMODULE image = LoadLibraryExA(child.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, image);
    auto base = reinterpret_cast<const unsigned char*>(reinterpret_cast<std::uintptr_t>(image) &
                                                       ~std::uintptr_t{3});
    CodeSection text = TextSectionOf(base);
    FreeLibrary(image);
    EXPECT_LT(offset, text.size) << "offset " << Hex8(offset) << " outside the child's code";
    EXPECT_GT(offset, 0ul);

    DeleteFileA(report.c_str());
    EXPECT_EQ(0u, vmxtest::RunAndWait("\"" + child + "\" ok \"" + report + "\""));
    EXPECT_FALSE(vmxtest::FileExists(report)) << "a box was shown on a normal end";
}

}  // namespace
