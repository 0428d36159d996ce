#include "menu_title.h"

#include "menu_texts.h"
#include "system_language.h"

void RemoveAccessKeyMarkers(wchar_t* text) {
    wchar_t* out = text;
    for (const wchar_t* in = text; *in;) {
        if (in[0] == L'(' && in[1] == L'&' && in[2] && in[2] != L'&' && in[3] == L')') {
            while (out > text && out[-1] == L' ') --out;
            in += 4;
        } else if (in[0] == L'&') {
            if (in[1] == L'&') *out++ = L'&';
            in += in[1] == L'&' ? 2 : 1;
        } else {
            *out++ = *in++;
        }
    }
    *out = L'\0';
}

bool MenuTitle(wchar_t* title, int capacity) {
    // The texts are code-page bytes for the "A" menu functions; only this wide answer
    // converts them, from the page they are written in whatever the system's own is.
    bool japanese = IsJapaneseSystem();
    const char* label = japanese ? JapaneseFullWidthLabel.Base : FrenchLabel.Base;
    int n = MultiByteToWideChar(japanese ? 932 : 1252, MB_ERR_INVALID_CHARS, label, -1, title,
                                capacity);
    if (n <= 0) return false;
    RemoveAccessKeyMarkers(title);
    return true;
}
