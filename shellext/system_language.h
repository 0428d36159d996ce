// The DLL's own language rule: Japanese texts on a Japanese system, French everywhere else.
#pragma once

#include <windows.h>

inline constexpr LANGID JapaneseLanguageId = 0x0411;

// Asked afresh on every call: the answer is the system's, not the user's.
inline bool IsJapaneseSystem() {
    return GetSystemDefaultLangID() == JapaneseLanguageId;
}
