// Reading a drop block's names straight from its bytes. Every block here lies so that its
// last byte is the last readable one before a page without access: a read past the block
// faults, and the fault is reported with the block that caused it.
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

using vmxtest::DropFilesBytes;

constexpr SIZE_T kPage = 4096;
constexpr SIZE_T kArena = 16 * kPage;

const char* g_block = nullptr;  // what is being read, for the fault report
const BYTE* g_blockEnd = nullptr;

LONG CALLBACK ReportReadPastTheBlock(EXCEPTION_POINTERS* fault) {
    if (fault->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || !g_block)
        return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "FAILED: %s was read at %p, past its end at %p\n", g_block,
                 reinterpret_cast<void*>(fault->ExceptionRecord->ExceptionInformation[1]),
                 static_cast<const void*>(g_blockEnd));
    std::fflush(stderr);
    ExitProcess(3);
}

// Readable pages followed by one without access; each block is copied to end at it.
class GuardedArena {
public:
    GuardedArena() {
        base_ = static_cast<BYTE*>(
            VirtualAlloc(nullptr, kArena + kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_) VirtualProtect(base_ + kArena, kPage, PAGE_NOACCESS, &old);
        handler_ = AddVectoredExceptionHandler(1, ReportReadPastTheBlock);
    }
    ~GuardedArena() {
        RemoveVectoredExceptionHandler(handler_);
        if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    }
    bool Ready() const { return base_ && handler_; }

    // Finds the names of `bytes`, placed against the guard, with `what` named in a fault.
    bool Find(const std::string& bytes, const std::string& what, DropNames& names) {
        BYTE* block = Place(bytes);
        g_block = what.c_str();
        bool found = FindDropNames(block, bytes.size(), names);
        g_block = nullptr;
        return found;
    }
    // Every name the block holds, each as the bytes of its characters.
    std::vector<std::string> Names(const DropNames& names, const std::string& what) {
        g_block = what.c_str();
        std::vector<std::string> found;
        const BYTE* name = names.first;
        for (SIZE_T i = 0; i < names.count; ++i) {
            SIZE_T length = DropNameLength(name, names.wide);
            found.emplace_back(reinterpret_cast<const char*>(name),
                               length * (names.wide ? sizeof(WCHAR) : 1));
            name = NextDropName(name, length, names.wide);
        }
        g_block = nullptr;
        return found;
    }

private:
    BYTE* Place(const std::string& bytes) {
        BYTE* block = base_ + kArena - bytes.size();
        if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
        g_blockEnd = base_ + kArena;
        return block;
    }
    BYTE* base_ = nullptr;
    void* handler_ = nullptr;
};

// Names of 1 to 300 characters, any byte or UTF-16 unit but zero.
std::vector<std::string> RandomNames(std::mt19937& random, bool wide) {
    std::vector<std::string> names(1 + random() % 12);
    for (std::string& name : names) {
        int length = random() % 8 == 0 ? 1 + random() % 300 : 1 + random() % 40;
        for (int i = 0; i < length; ++i) {
            unsigned unit = 1 + random() % (wide ? 0xFFFF : 0xFF);
            name += static_cast<char>(unit & 0xFF);
            if (wide) name += static_cast<char>(unit >> 8);
        }
    }
    return names;
}

// A block whose names start `gap` bytes after the header: an odd gap puts a wide list's
// characters at odd addresses.
std::string BlockWithGap(const std::vector<std::string>& names, bool wide, DWORD gap) {
    std::string block = DropFilesBytes(names, wide);
    block.insert(sizeof(DROPFILES), gap, '\x7F');
    reinterpret_cast<DROPFILES*>(block.data())->pFiles += gap;
    return block;
}

std::string Described(int number, const char* kind, bool wide, SIZE_T size) {
    char text[128];
    std::snprintf(text, sizeof text, "block %d (%s, %s list, %u bytes)", number, kind,
                  wide ? "wide" : "ANSI", static_cast<unsigned>(size));
    return text;
}

class DropListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(arena_.Ready()) << "no guarded pages: " << GetLastError(); }
    GuardedArena arena_;
    std::mt19937 random_{20240611};
};

TEST_F(DropListTest, WellFormedBlocksGiveEveryNameInOrder) {
    for (int n = 0; n < 600; ++n) {
        bool wide = n % 2 == 1;
        std::vector<std::string> names = RandomNames(random_, wide);
        std::string block = BlockWithGap(names, wide, random_() % 5);
        std::string what = Described(n, "well-formed", wide, block.size());
        DropNames found;
        ASSERT_TRUE(arena_.Find(block, what, found)) << what << " was refused";
        ASSERT_EQ(names.size(), found.count) << what;
        EXPECT_EQ(wide, found.wide) << what;
        ASSERT_EQ(names, arena_.Names(found, what)) << what;
    }
}

TEST_F(DropListTest, MalformedBlocksAreRefusedWithoutAReadPastTheirEnd) {
    int refused = 0, tried = 0;
    for (int n = 0; n < 4000; ++n) {
        bool wide = n % 2 == 1;
        std::string block = BlockWithGap(RandomNames(random_, wide), wide, random_() % 3);
        auto* header = reinterpret_cast<DROPFILES*>(block.data());
        const char* kind = "";
        switch (n % 5) {
            case 0:  // the list cut anywhere before its terminating empty name ends
                kind = "list cut short";
                block.resize(header->pFiles + random_() % (block.size() - header->pFiles));
                break;
            case 1:  // the empty name missing, or half of a wide one
                kind = "no terminating empty name";
                block.resize(block.size() - (wide && random_() % 2 ? 1 : (wide ? 2 : 1)));
                break;
            case 2:  // names said to start at the block's end or beyond it
                kind = "offset outside the block";
                header->pFiles = random_() % 4 == 0 ? 0xFFFFFFFFu
                                                    : static_cast<DWORD>(block.size()) +
                                                          random_() % 3 * (random_() % 70000);
                break;
            case 3:  // a header cut short
                kind = "header cut short";
                block.resize(random_() % sizeof(DROPFILES));
                break;
            case 4:  // an odd number of bytes after the last whole wide character
                kind = "odd wide length";
                header->fWide = TRUE;
                if ((block.size() - header->pFiles) % 2 == 0) block.pop_back();
                block.back() = '\x01';
                block[block.size() - 2] = '\x01';
                break;
        }
        std::string what = Described(n, kind, wide, block.size());
        DropNames found;
        ++tried;
        if (!arena_.Find(block, what, found))
            ++refused;
        else
            ADD_FAILURE() << what << " was taken for a list of " << found.count << " names";
        EXPECT_EQ(0u, found.count) << what;
    }
    EXPECT_EQ(tried, refused);
}

TEST_F(DropListTest, AnOffsetInsideTheBlockNeverLeadsOutOfIt) {
    // Random bytes, zeros among them, read from anywhere inside: whatever list they make,
    // its names lie inside the block.
    for (int n = 0; n < 2000; ++n) {
        std::string block(sizeof(DROPFILES) + random_() % 600, '\0');
        for (char& c : block) c = random_() % 3 == 0 ? '\0' : static_cast<char>(random_());
        auto* header = reinterpret_cast<DROPFILES*>(block.data());
        header->pFiles = static_cast<DWORD>(random_() % block.size());
        header->fWide = n % 2;
        std::string what = Described(n, "offset inside", n % 2, block.size());
        DropNames found;
        if (arena_.Find(block, what, found)) arena_.Names(found, what);
    }
}

}  // namespace
