#include "language.h"

#include <windows.h>

bool IsJapaneseSystem() {
    return GetSystemDefaultLangID() == 0x0411;
}

const ViewerTexts& SystemTexts() {
    return IsJapaneseSystem() ? kJapaneseTexts : kFrenchTexts;
}
