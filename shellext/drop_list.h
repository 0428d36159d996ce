// The names of a CF_HDROP block (DROPFILES, then names ended by a zero, then an empty
// name), read straight from the block: one walk checks it whole, a second takes the
// names. DragQueryFile walks the list from its start for every index and trusts every
// offset it is given; this reads no byte outside the block, however the block is made.
#pragma once

#include <windows.h>

struct DropNames {
    const BYTE* first = nullptr;  // the first name
    SIZE_T count = 0;             // names before the terminating empty one
    bool wide = false;            // UTF-16 names (at any alignment); otherwise ANSI
};

// False when the block cannot hold a list: smaller than its header, names starting outside
// it, or no terminating empty name inside it. `names` is then left empty.
bool FindDropNames(const void* block, SIZE_T size, DropNames& names);

// The length in characters of a name that FindDropNames found terminated, and where the
// name after it starts.
SIZE_T DropNameLength(const BYTE* name, bool wide);
inline const BYTE* NextDropName(const BYTE* name, SIZE_T length, bool wide) {
    return name + (length + 1) * (wide ? sizeof(WCHAR) : 1);
}
