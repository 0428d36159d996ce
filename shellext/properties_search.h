// Finding the shell's own Properties item in a context menu by the start of its text.
#pragma once

#include <windows.h>

#include <cstddef>

enum class PropertiesForm { French, JapaneseFullWidth, JapaneseHalfWidth };

struct PropertiesItem {
    int Position;  // -1 when no item matched
    PropertiesForm Form;
};

// True when the first `length` bytes of text equal prefix, byte for byte; a shorter text
// does not match.
bool BeginsWith(const char* text, const char* prefix, std::size_t length);

// The topmost item whose text begins with a Properties text of this system's language:
// the French one, or on a Japanese system the full-width one before the half-width one.
PropertiesItem FindPropertiesItem(HMENU menu, bool japaneseSystem);
