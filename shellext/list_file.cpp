#include "list_file.h"

#include <windows.h>

#include "system_calls.h"

namespace {

// Collects lines and hands them to WriteFile in large blocks: one call per path and
// another per line end would cost thousands of system calls for a big selection.
class ListWriter {
public:
    explicit ListWriter(HANDLE file) : file_(file) {}

    // False once a write has failed: nothing more reaches the file after that.
    bool Append(const char* bytes, DWORD length) {
        while (length > 0 && ok_) {
            if (used_ == sizeof buffer_) Flush();
            DWORD room = sizeof buffer_ - used_;
            DWORD take = length < room ? length : room;
            CopyMemory(buffer_ + used_, bytes, take);
            used_ += take;
            bytes += take;
            length -= take;
        }
        return ok_;
    }

    bool Flush() {
        if (ok_ && used_ > 0) {
            DWORD written = 0;
            BOOL done = SystemCalls.WriteFile(file_, buffer_, used_, &written, nullptr);
            ok_ = done && written == used_;
            used_ = 0;
        }
        return ok_;
    }

private:
    HANDLE file_;
    char buffer_[16384];
    DWORD used_ = 0;
    bool ok_ = true;
};

DWORD PathLength(const char* path) {
    DWORD n = 0;
    while (n < MAX_PATH && path[n] != '\0') ++n;
    return n;
}

}  // namespace

void WriteListFile(const char* name, char* const* selectedPaths, int selectedCount) {
    const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY;
    HANDLE file = SystemCalls.CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;

    ListWriter writer(file);
    char countLine[16];
    int countLength = wsprintfA(countLine, "%d\r\n", selectedCount);
    writer.Append(countLine, static_cast<DWORD>(countLength));
    for (int i = 0; i < selectedCount; ++i) {
        const char* path = selectedPaths[i];
        if (!writer.Append(path, PathLength(path)) || !writer.Append("\r\n", 2)) break;
    }
    writer.Flush();
    CloseHandle(file);
    // The name was taken by creating an empty file, and not every system applies new
    // attributes when a file is overwritten: set them by name so the list is hidden anyway.
    SetFileAttributesA(name, attributes);
}
