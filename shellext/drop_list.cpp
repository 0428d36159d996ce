#include "drop_list.h"

#include <shlobj.h>

#include <cstring>

namespace {

// Two bytes of a wide list: a name may start at an odd offset, so no WCHAR is read in place.
inline WCHAR WideAt(const BYTE* at) {
    WCHAR c;
    std::memcpy(&c, at, sizeof c);
    return c;
}

// Counts the names from `at` to the empty one; false when the block ends first.
bool CountAnsiNames(const BYTE* at, const BYTE* end, SIZE_T& count) {
    while (at < end) {
        if (*at == 0) return true;
        const void* zero = std::memchr(at, 0, static_cast<size_t>(end - at));
        if (!zero) return false;
        at = static_cast<const BYTE*>(zero) + 1;
        ++count;
    }
    return false;
}

bool CountWideNames(const BYTE* at, const BYTE* end, SIZE_T& count) {
    // A last odd byte cannot hold a character.
    while (end - at >= static_cast<ptrdiff_t>(sizeof(WCHAR))) {
        if (WideAt(at) == 0) return true;
        do {
            at += sizeof(WCHAR);
            if (end - at < static_cast<ptrdiff_t>(sizeof(WCHAR))) return false;
        } while (WideAt(at) != 0);
        at += sizeof(WCHAR);
        ++count;
    }
    return false;
}

}  // namespace

bool FindDropNames(const void* block, SIZE_T size, DropNames& names) {
    names = DropNames();
    if (!block || size < sizeof(DROPFILES)) return false;
    DROPFILES header;
    std::memcpy(&header, block, sizeof header);
    if (header.pFiles >= size) return false;

    const BYTE* start = static_cast<const BYTE*>(block);
    const BYTE* first = start + header.pFiles;
    const BYTE* end = start + size;
    bool wide = header.fWide != 0;
    SIZE_T count = 0;
    if (!(wide ? CountWideNames(first, end, count) : CountAnsiNames(first, end, count)))
        return false;
    names.first = first;
    names.count = count;
    names.wide = wide;
    return true;
}

SIZE_T DropNameLength(const BYTE* name, bool wide) {
    if (!wide) return std::strlen(reinterpret_cast<const char*>(name));
    SIZE_T length = 0;
    while (WideAt(name + length * sizeof(WCHAR)) != 0) ++length;
    return length;
}
