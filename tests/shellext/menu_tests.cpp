// Adding the command to real popup menus. The same cases run on French, Japanese and
// English systems; what each one expects follows from the language the system reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "com_hold.h"
#include "handler_test_support.h"
#include "live_objects.h"

using handlertest::NewHandler;
using vmxtest::ComHold;

namespace {

constexpr UINT FirstId = 0x7000;

bool JapaneseSystem() {
    return GetSystemDefaultLangID() == 0x0411;
}

// Menu texts travel as the system's ANSI bytes, as the handler reads and writes them.
std::string Ansi(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), n, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

std::wstring Readable(const std::string& bytes) {
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, nullptr, 0);
    std::wstring text(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, text.data(), n);
    text.pop_back();
    return text;
}

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

// A popup menu holding these items, ids 1, 2, ...; an empty text makes a separator.
class Menu {
public:
    explicit Menu(const std::vector<std::wstring>& items) : menu_(CreatePopupMenu()) {
        UINT id = 1;
        for (const std::wstring& item : items) {
            if (item.empty())
                AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr);
            else
                AppendMenuA(menu_, MF_STRING, id, Ansi(item).c_str());
            ++id;
        }
    }
    ~Menu() { DestroyMenu(menu_); }
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    HMENU Handle() const { return menu_; }

    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (int p = 0; p < GetMenuItemCount(menu_); ++p) {
            char text[256] = {};
            GetMenuStringA(menu_, p, text, sizeof text, MF_BYPOSITION);
            texts.push_back(Readable(text));
        }
        return texts;
    }

private:
    HMENU menu_;
};

std::string Show(const std::vector<std::wstring>& texts) {
    std::string shown;
    for (const std::wstring& t : texts) {
        shown += '[';
        shown += Narrow(t);
        shown += "] ";
    }
    return shown;
}

const std::wstring Open = L"&Ouvrir";
const std::wstring FrenchProperties = L"P&ropriétés";
const std::wstring FullWidthProperties = L"プロパティ(&R)";
const std::wstring HalfWidthProperties = L"ﾌﾟﾛﾊﾟﾃｨ(&R)";
const std::wstring FrenchLabel = L"Vellu M&ax";
const std::wstring FullWidthLabel = L"ベルマM&AX";
const std::wstring HalfWidthLabel = L"ﾍﾞﾙﾏM&AX";
const std::wstring TargetSuffix = L" (Cible)";

// The base label of this system when no Properties item decides the writing.
std::wstring SystemLabel() {
    return JapaneseSystem() ? FullWidthLabel : FrenchLabel;
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, handler_.Get());
        // The run's LC_ALL names the language Wine must report; a missing locale would
        // otherwise turn the Japanese and French runs into English ones unnoticed.
        char locale[64] = {};
        GetEnvironmentVariableA("LC_ALL", locale, sizeof locale);
        const std::string wanted(locale, 2);
        const LANGID lang = GetSystemDefaultLangID();
        const LANGID expected = wanted == "ja" ? 0x0411 : wanted == "fr" ? 0x040C : 0x0409;
        ASSERT_EQ(expected, lang) << "LC_ALL=" << locale << " but the system language is 0x"
                                  << std::hex << lang;
    }
    HRESULT Query(const Menu& menu, UINT flags = CMF_NORMAL, UINT indexMenu = 0) {
        return handler_->QueryContextMenu(menu.Handle(), indexMenu, FirstId, FirstId + 10, flags);
    }
    ComHold<IContextMenu> handler_{NewHandler()};
};

// Where the label lands and which one it is, for menus of each system's Properties text.
TEST_F(MenuTest, LabelGoesBelowThisSystemsPropertiesItemOrAtTheEnd) {
    const bool japanese = JapaneseSystem();
    struct Case {
        const char* what;
        std::vector<std::wstring> items;
        int belowOnFrench;    // position of the Properties item a non-Japanese system finds
        int belowOnJapanese;  // ... and a Japanese system; -1: appended
        bool halfWidth;       // the Japanese label follows a half-width item
    };
    const Case cases[] = {
        {"French menu", {Open, L"Imprimer", L"", FrenchProperties, L"Renommer"}, 3, -1, false},
        {"French item first", {FrenchProperties, Open}, 0, -1, false},
        {"French item with more text",
         {Open, L"P&ropriétés de ce dossier et de tout ce qu'il contient", L"Renommer"},
         1,
         -1,
         false},
        {"text cut short", {Open, L"P&ropriét", L"Renommer"}, -1, -1, false},
        {"mnemonic elsewhere", {Open, L"&Propriétés", L"Renommer"}, -1, -1, false},
        {"last letter in capitals", {Open, L"P&ropriétéS", L"Renommer"}, -1, -1, false},
        {"English menu", {L"&Open", L"", L"&Properties", L"Rena&me"}, -1, -1, false},
        {"full-width menu",
         {L"開く(&O)", L"", FullWidthProperties, L"名前の変更(&M)"},
         -1,
         2,
         false},
        {"half-width menu", {L"開く(&O)", HalfWidthProperties, L"削除(&D)"}, -1, 1, true},
        {"full-width first", {Open, FullWidthProperties, HalfWidthProperties}, -1, 1, false},
        {"half-width first", {Open, HalfWidthProperties, L"", FullWidthProperties}, -1, 1, true},
        {"every writing, French last",
         {Open, HalfWidthProperties, FullWidthProperties, FrenchProperties},
         3,
         1,
         true},
    };
    for (UINT flags : {CMF_NORMAL, CMF_VERBSONLY}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (flags == CMF_VERBSONLY ? ", target label" : ""));
            Menu menu(c.items);
            const int below = japanese ? c.belowOnJapanese : c.belowOnFrench;
            std::wstring label = !japanese                     ? FrenchLabel
                                 : (below >= 0 && c.halfWidth) ? HalfWidthLabel
                                                               : FullWidthLabel;
            if (flags == CMF_VERBSONLY) label += TargetSuffix;
            std::vector<std::wstring> expected;
            for (const std::wstring& item : c.items)
                expected.push_back(Readable(Ansi(item)));  // the system's own reading of the items
            const int position = below >= 0 ? below + 1 : static_cast<int>(expected.size());
            expected.insert(expected.begin() + position, label);

            EXPECT_EQ(1, Query(menu, flags));
            EXPECT_EQ(expected, menu.Texts())
                << "expected " << Show(expected) << "\n got " << Show(menu.Texts());
            EXPECT_EQ(FirstId, GetMenuItemID(menu.Handle(), position));
        }
    }
}

// The low four bits pick the label or no item; higher bits such as CMF_CANRENAME do not count.
TEST_F(MenuTest, FlagsChooseTheVariant) {
    for (UINT high : {0u, static_cast<UINT>(CMF_CANRENAME), 0x110u}) {
        for (UINT low = 0; low < 16; ++low) {
            const UINT flags = high | low;
            SCOPED_TRACE(testing::Message() << "uFlags 0x" << std::hex << flags);
            Menu menu({Open});
            std::wstring expected;
            if (low == 0 || (low & CMF_EXPLORE)) expected = SystemLabel();
            if (low & CMF_VERBSONLY) expected = SystemLabel() + TargetSuffix;

            HRESULT result = Query(menu, flags);
            if (expected.empty()) {
                EXPECT_EQ(0, result);
                EXPECT_EQ(std::vector<std::wstring>{Readable(Ansi(Open))}, menu.Texts())
                    << "the menu should stay untouched";
            } else {
                EXPECT_EQ(1, result);
                EXPECT_EQ((std::vector<std::wstring>{Readable(Ansi(Open)), expected}),
                          menu.Texts());
            }
        }
    }
}

TEST_F(MenuTest, ItemIsAPlainEnabledStringAtTheFirstIdentifier) {
    Menu empty({});
    EXPECT_EQ(1, Query(empty));
    ASSERT_EQ(1, GetMenuItemCount(empty.Handle()));
    EXPECT_EQ(std::vector<std::wstring>{SystemLabel()}, empty.Texts());
    EXPECT_EQ(FirstId, GetMenuItemID(empty.Handle(), 0));
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
    ASSERT_TRUE(GetMenuItemInfoA(empty.Handle(), 0, TRUE, &info));
    EXPECT_EQ(static_cast<UINT>(MFT_STRING), info.fType);
    EXPECT_EQ(0u, info.fState & (MFS_DISABLED | MFS_CHECKED | MFS_DEFAULT));
    EXPECT_EQ(nullptr, info.hSubMenu);
}

TEST_F(MenuTest, EveryCallAddsTheItemAgainWhateverIndexMenuSays) {
    const std::vector<std::wstring> items = {Open, L"", FrenchProperties, FullWidthProperties,
                                             L"Fin"};
    Menu first(items);
    Menu second(items);
    EXPECT_EQ(1, Query(first, CMF_NORMAL, 0));
    EXPECT_EQ(1, Query(second, CMF_NORMAL, 4));
    EXPECT_EQ(first.Texts(), second.Texts()) << "indexMenu moved the item";

    EXPECT_EQ(1, Query(first, CMF_NORMAL, 1));
    std::vector<std::wstring> texts = first.Texts();
    EXPECT_EQ(items.size() + 2, texts.size());
    EXPECT_EQ(2, std::count(texts.begin(), texts.end(), SystemLabel())) << Show(texts);
}

TEST_F(MenuTest, AMenuThatCannotBeReadStillCountsTheCommand) {
    HMENU gone = CreatePopupMenu();
    DestroyMenu(gone);
    EXPECT_EQ(1, handler_->QueryContextMenu(gone, 0, FirstId, FirstId + 10, CMF_NORMAL));
}

}  // namespace
