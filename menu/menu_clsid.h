// The packaged command's class, read at compile time from the text that the package's
// manifest is made from, so that the DLL and the manifest cannot name different classes.
#pragma once

#include <windows.h>

#include "menu_package.h"

namespace menuclsid {

constexpr unsigned HexDigit(char c) {
    return c >= '0' && c <= '9'   ? unsigned(c - '0')
           : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
           : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                  : 0x100;  // not a hex digit
}

// The value of `count` hex digits from `text + at`; all bits set when one is no digit.
constexpr unsigned long long Hex(const char* text, int at, int count) {
    unsigned long long value = 0;
    bool bad = false;
    for (int i = 0; i < count; ++i) {
        unsigned d = HexDigit(text[at + i]);
        bad = bad || d > 15;
        value = value * 16 + (d & 15);
    }
    return bad ? ~0ull : value;
}

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
constexpr bool WellFormed(const char (&text)[39]) {
    if (text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' || text[19] != '-' ||
        text[24] != '-')
        return false;
    const int groups[][2] = {{1, 8}, {10, 4}, {15, 4}, {20, 4}, {25, 12}};
    for (const auto& g : groups)
        for (int i = 0; i < g[1]; ++i)
            if (HexDigit(text[g[0] + i]) > 15) return false;
    return true;
}

constexpr GUID Parse(const char (&text)[39]) {
    return {
        static_cast<unsigned long>(Hex(text, 1, 8)),
        static_cast<unsigned short>(Hex(text, 10, 4)),
        static_cast<unsigned short>(Hex(text, 15, 4)),
        {static_cast<unsigned char>(Hex(text, 20, 2)), static_cast<unsigned char>(Hex(text, 22, 2)),
         static_cast<unsigned char>(Hex(text, 25, 2)), static_cast<unsigned char>(Hex(text, 27, 2)),
         static_cast<unsigned char>(Hex(text, 29, 2)), static_cast<unsigned char>(Hex(text, 31, 2)),
         static_cast<unsigned char>(Hex(text, 33, 2)),
         static_cast<unsigned char>(Hex(text, 35, 2))}};
}

static_assert(WellFormed(VMX_MENU_CLSID), "VMX_MENU_CLSID is not a braced GUID");

}  // namespace menuclsid

inline constexpr CLSID CLSID_PackagedMenuCommand = menuclsid::Parse(VMX_MENU_CLSID);
