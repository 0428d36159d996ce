// Reading a drop block's names straight from its bytes. Every block here ends where a page
// without access begins: a read past the block faults, and the fault names the block.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "drop_list.h"
#include "hdrop_data_object.h"

namespace {

constexpr SIZE_T kPage = 4096, kArena = 16 * kPage;
const char* g_block = nullptr;  // the block being read, for the fault report

LONG CALLBACK ReportReadPastTheBlock(EXCEPTION_POINTERS* fault) {
    if (fault->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || !g_block)
        return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "FAILED: %s was read past its end, at %p\n", g_block,
                 reinterpret_cast<void*>(fault->ExceptionRecord->ExceptionInformation[1]));
    std::fflush(stderr);
    ExitProcess(3);
}

// A name of 1 to 300 characters: any byte, or UTF-16 unit, but zero.
std::string RandomName(std::mt19937& random, bool wide) {
    std::string name;
    for (int i = 0, n = random() % 8 ? 1 + random() % 40 : 1 + random() % 300; i < n; ++i) {
        unsigned unit = 1 + random() % (wide ? 0xFFFF : 0xFF);
        name += static_cast<char>(unit & 0xFF);
        if (wide) name += static_cast<char>(unit >> 8);
    }
    return name;
}

class DropListTest : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD old = 0;
        ASSERT_TRUE(arena_ && VirtualProtect(arena_ + kArena, kPage, PAGE_NOACCESS, &old));
    }
    void TearDown() override {
        RemoveVectoredExceptionHandler(handler_);
        VirtualFree(arena_, 0, MEM_RELEASE);
    }
    // The block's names, found and walked with the block against the guard page.
    bool Read(const std::string& bytes, const std::string& what, std::vector<std::string>& names) {
        BYTE* block = arena_ + kArena - bytes.size();
        std::memcpy(block, bytes.data(), bytes.size());
        g_block = what.c_str();
        DropNames found;
        bool ok = FindDropNames(block, bytes.size(), found);
        const BYTE* name = found.first;
        for (SIZE_T i = 0; i < found.count; ++i) {
            SIZE_T length = DropNameLength(name, found.wide);
            names.emplace_back(reinterpret_cast<const char*>(name),
                               length * (found.wide ? sizeof(WCHAR) : 1));
            name = NextDropName(name, length, found.wide);
        }
        g_block = nullptr;
        return ok;
    }

    BYTE* arena_ = static_cast<BYTE*>(
        VirtualAlloc(nullptr, kArena + kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    void* handler_ = AddVectoredExceptionHandler(1, ReportReadPastTheBlock);
};

// Thousands of blocks from a fixed seed, each well-formed first (its names start a few
// bytes after the header, at odd addresses too) and then broken in one way.
TEST_F(DropListTest, WellFormedBlocksGiveTheirNamesAndMalformedOnesNothing) {
    std::mt19937 random(20240611);
    for (int n = 0; n < 5000; ++n) {
        const bool wide = n % 2 == 1;
        std::vector<std::string> names(1 + random() % 12);
        for (std::string& name : names) name = RandomName(random, wide);
        std::string block = vmxtest::DropFilesBytes(names, wide);
        const DWORD gap = random() % 5;
        block.insert(sizeof(DROPFILES), gap, '\x7F');
        auto* header = reinterpret_cast<DROPFILES*>(block.data());
        header->pFiles += gap;

        std::vector<std::string> found;
        std::string what = "well-formed block " + std::to_string(n);
        ASSERT_TRUE(Read(block, what, found)) << what << " was refused";
        ASSERT_EQ(names, found) << what;

        const char* kinds[] = {"list cut short",           "no terminating empty name",
                               "offset outside the block", "header cut short",
                               "odd wide length",          "offset inside the block"};
        const int kind = n % 6;
        if (kind == 0) block.resize(header->pFiles + random() % (block.size() - header->pFiles));
        if (kind == 1) block.erase(block.size() - (wide ? 1 + random() % 2 : 1));
        if (kind == 2)
            header->pFiles =
                random() % 4 ? static_cast<DWORD>(block.size() + random() % 70000) : 0xFFFFFFFFu;
        if (kind == 3) block = block.substr(0, random() % sizeof(DROPFILES));
        if (kind == 4) {  // half a character after the last whole one, and no zero one
            header->fWide = TRUE;
            if ((block.size() - header->pFiles) % 2 == 0) block.pop_back();
            block.back() = block[block.size() - 2] = '\x01';
        }
        if (kind == 5) header->pFiles = static_cast<DWORD>(random() % block.size());
        what = "block " + std::to_string(n) + " (" + kinds[kind] + ")";
        found.clear();
        bool taken = Read(block, what, found);
        // From inside the block any list may be read; it only has to stay inside.
        if (kind != 5) {
            EXPECT_FALSE(taken) << what << " gave " << found.size() << " names";
        }
    }
}

}  // namespace
