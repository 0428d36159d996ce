// Every byte-escaped text of the DLL, read back in its code page, must be the readable text.
#include <gtest/gtest.h>

#include <string>

#include "menu_texts.h"

namespace {

std::wstring Decode(UINT codePage, const char* bytes, size_t length) {
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length),
                                nullptr, 0);
    std::wstring text(n, L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length),
                        text.data(), n);
    return text;
}

std::wstring Decode(UINT codePage, const char* bytes) {
    return Decode(codePage, bytes, std::char_traits<char>::length(bytes));
}

TEST(MenuTexts, LabelsReadAsWritten) {
    EXPECT_EQ(L"Vellu M&ax", Decode(1252, FrenchLabel.Base));
    EXPECT_EQ(L"Vellu M&ax (Cible)", Decode(1252, FrenchLabel.Target));
    EXPECT_EQ(L"ベルマM&AX", Decode(932, JapaneseFullWidthLabel.Base));
    EXPECT_EQ(L"ベルマM&AX (Cible)", Decode(932, JapaneseFullWidthLabel.Target));
    EXPECT_EQ(L"ﾍﾞﾙﾏM&AX", Decode(932, JapaneseHalfWidthLabel.Base));
    EXPECT_EQ(L"ﾍﾞﾙﾏM&AX (Cible)", Decode(932, JapaneseHalfWidthLabel.Target));
}

TEST(MenuTexts, PropertiesTextsReadAsWrittenOverTheirWholeLength) {
    EXPECT_EQ(L"P&ropriétés", Decode(1252, FrenchProperties.Bytes, FrenchProperties.Length));
    EXPECT_EQ(L"プロパティ(&R)",
              Decode(932, JapaneseFullWidthProperties.Bytes, JapaneseFullWidthProperties.Length));
    EXPECT_EQ(L"ﾌﾟﾛﾊﾟﾃｨ(&R)",
              Decode(932, JapaneseHalfWidthProperties.Bytes, JapaneseHalfWidthProperties.Length));
}

}  // namespace
