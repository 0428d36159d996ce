// The selected items' paths in the ANSI form in which the classic item hands them to the
// viewer, read from the shell's item array.
#pragma once

#include <shobjidl.h>
#include <windows.h>

// Holds up to MaxSelectedPaths paths, in selection order, in MAX_PATH buffers as the
// launch code takes them; one heap block holds them all.
class SelectionPaths {
public:
    SelectionPaths() = default;
    ~SelectionPaths();
    SelectionPaths(const SelectionPaths&) = delete;
    SelectionPaths& operator=(const SelectionPaths&) = delete;

    // Reads the items' file-system paths. An item without one (a library, a phone, a
    // zip's content) is left out; a null array or one that cannot be read gives none.
    void Collect(IShellItemArray* items);

    char* const* Paths() const { return paths_; }
    int Count() const { return count_; }
    // The last path kept, as the classic item's LastPath; empty when none was kept.
    const char* LastPath() const { return count_ > 0 ? paths_[count_ - 1] : ""; }

private:
    char** paths_ = nullptr;
    int count_ = 0;
};
