#include "properties_search.h"

#include "menu_texts.h"

namespace {

// Item texts are read into a buffer of this size, so at most 39 bytes of each are seen.
constexpr int ItemTextBufferSize = 40;

}  // namespace

bool BeginsWith(const char* text, const char* prefix, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        // The terminating zero of a shorter text differs from every byte of a prefix.
        if (text[i] != prefix[i]) return false;
    }
    return true;
}

PropertiesItem FindPropertiesItem(HMENU menu, bool japaneseSystem) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        // Separators and other items without text read as an empty text.
        char text[ItemTextBufferSize] = {};
        GetMenuStringA(menu, position, text, ItemTextBufferSize, MF_BYPOSITION);
        if (!japaneseSystem) {
            if (BeginsWith(text, FrenchProperties.Bytes, FrenchProperties.Length))
                return {position, PropertiesForm::French};
        } else if (BeginsWith(text, JapaneseFullWidthProperties.Bytes,
                              JapaneseFullWidthProperties.Length)) {
            return {position, PropertiesForm::JapaneseFullWidth};
        } else if (BeginsWith(text, JapaneseHalfWidthProperties.Bytes,
                              JapaneseHalfWidthProperties.Length)) {
            return {position, PropertiesForm::JapaneseHalfWidth};
        }
    }
    return {-1, PropertiesForm::French};
}
