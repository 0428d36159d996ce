// The texts of the menu command and of the shell's Properties item, as the bytes the "A"
// menu functions see: French in code page 1252, Japanese in code page 932 (Shift-JIS).
// Escaped bytes end their literal, so that a following letter is never read as a hex digit.
#pragma once

#include <cstddef>

// The command's label in one language and writing: plain, and for a shortcut's own menu.
struct MenuLabel {
    const char* Base;
    const char* Target;
};

// "Vellu M&ax" / "Vellu M&ax (Cible)"
inline constexpr MenuLabel FrenchLabel = {"Vellu M&ax", "Vellu M&ax (Cible)"};

// "ベルマM&AX" / "ベルマM&AX (Cible)"
inline constexpr MenuLabel JapaneseFullWidthLabel = {
    "\x83\x78\x83\x8B\x83\x7D"
    "M&AX",
    "\x83\x78\x83\x8B\x83\x7D"
    "M&AX (Cible)",
};

// "ﾍﾞﾙﾏM&AX" / "ﾍﾞﾙﾏM&AX (Cible)"
inline constexpr MenuLabel JapaneseHalfWidthLabel = {
    "\xCD\xDE\xD9\xCF"
    "M&AX",
    "\xCD\xDE\xD9\xCF"
    "M&AX (Cible)",
};

// A menu item is the Properties item when its text begins with one of these.
struct SearchText {
    const char* Bytes;
    std::size_t Length;
};

// "P&ropriétés"
inline constexpr char FrenchPropertiesBytes[] = "P&ropri\xE9t\xE9s";
// "プロパティ(&R)"
inline constexpr char JapaneseFullWidthPropertiesBytes[] =
    "\x83\x76\x83\x8D\x83\x70\x83\x65\x83\x42"
    "(&R)";
// "ﾌﾟﾛﾊﾟﾃｨ(&R)"
inline constexpr char JapaneseHalfWidthPropertiesBytes[] =
    "\xCC\xDF\xDB\xCA\xDF\xC3\xA8"
    "(&R)";

inline constexpr SearchText FrenchProperties = {FrenchPropertiesBytes,
                                                sizeof FrenchPropertiesBytes - 1};
inline constexpr SearchText JapaneseFullWidthProperties = {
    JapaneseFullWidthPropertiesBytes, sizeof JapaneseFullWidthPropertiesBytes - 1};
inline constexpr SearchText JapaneseHalfWidthProperties = {
    JapaneseHalfWidthPropertiesBytes, sizeof JapaneseHalfWidthPropertiesBytes - 1};
