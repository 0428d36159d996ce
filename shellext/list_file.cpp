#include "list_file.h"

#include <windows.h>

#include "heap_memory.h"
#include "system_calls.h"

namespace {

// Gathers lines in a large block and hands the block to WriteFile when the next line might
// not fit: one call per path and another per line end would cost thousands of system calls
// for a big selection. The block comes from the heap; without memory a smaller one on the
// stack does the same work in more calls.
class ListWriter {
public:
    explicit ListWriter(HANDLE file) : file_(file) {
        block_ = static_cast<char*>(AllocateBytes(kBlockSize));
        size_ = kBlockSize;
        if (!block_) {
            block_ = spare_;
            size_ = sizeof spare_;
        }
    }
    ~ListWriter() {
        if (block_ != spare_) FreeBytes(block_);
    }
    ListWriter(const ListWriter&) = delete;
    ListWriter& operator=(const ListWriter&) = delete;

    // Adds the text of a MAX_PATH buffer, up to its first zero byte, and CR LF. False once
    // a write has failed: nothing more reaches the file after that.
    bool AppendLine(const char* text) {
        if (size_ - used_ < kLongestLine && !Flush()) return false;
        char* out = block_ + used_;
        // Looking at a byte at a time was the largest part of writing a big list, so whole
        // machine words are copied while none holds the terminating zero: a word w holds a
        // zero byte exactly when (w - 0x01..01) & ~w & 0x80..80 is not 0.
        DWORD n = 0;
        for (; n + sizeof(Word) <= MAX_PATH; n += sizeof(Word)) {
            Word word;
            CopyMemory(&word, text + n, sizeof word);
            if ((word - kOnes) & ~word & kHighs) break;
            CopyMemory(out + n, &word, sizeof word);
        }
        for (; n < MAX_PATH && text[n] != '\0'; ++n) out[n] = text[n];
        out[n] = '\r';
        out[n + 1] = '\n';
        used_ += n + 2;
        return true;
    }

    bool Flush() {
        if (ok_ && used_ > 0) {
            DWORD written = 0;
            BOOL done = SystemCalls.WriteFile(file_, block_, used_, &written, nullptr);
            ok_ = done && written == used_;
            used_ = 0;
        }
        return ok_;
    }

private:
    using Word = ULONG_PTR;
    static constexpr Word kOnes = ~Word(0) / 0xFF;
    static constexpr Word kHighs = kOnes << 7;
    static constexpr DWORD kLongestLine = MAX_PATH + 2;
    static constexpr DWORD kBlockSize = 65536;

    HANDLE file_;
    char* block_;
    DWORD size_;
    DWORD used_ = 0;
    bool ok_ = true;
    char spare_[4096];
};

}  // namespace

void WriteListFile(const char* name, char* const* selectedPaths, int selectedCount) {
    const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY;
    HANDLE file = SystemCalls.CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;

    {
        ListWriter writer(file);
        char count[MAX_PATH] = {};
        wsprintfA(count, "%d", selectedCount);
        writer.AppendLine(count);
        for (int i = 0; i < selectedCount; ++i) {
            if (!writer.AppendLine(selectedPaths[i])) break;
        }
        writer.Flush();
    }
    CloseHandle(file);
    // The name was taken by creating an empty file, and not every system applies new
    // attributes when a file is overwritten: set them by name so the list is hidden anyway.
    SetFileAttributesA(name, attributes);
}
