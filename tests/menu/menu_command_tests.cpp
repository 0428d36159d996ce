// The packaged command as the COM surrogate serves it to Explorer: the built vmxmenu.dll,
// its class object, and the command's title, icon, fixed answers and state.
#include <gtest/gtest.h>

#include <string>

#include "menu_clsid.h"
#include "menu_test_support.h"
#include "menu_title.h"

namespace menutest {
namespace {

using vmxtest::ComHold;

std::string Utf8(const wchar_t* text) {
    char bytes[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

TEST(AccessKeyMarkers, AreRemovedInEveryFormAMenuLabelWritesThem) {
    struct Case {
        const wchar_t* label;
        const wchar_t* title;
    } cases[] = {
        {L"Vellu M&ax", L"Vellu Max"},
        {L"&Ouvrir", L"Ouvrir"},
        {L"\x30D9\x30EB\x30DEM&AX", L"\x30D9\x30EB\x30DEMAX"},
        {L"\x30D7\x30ED\x30D1\x30C6\x30A3(&R)", L"\x30D7\x30ED\x30D1\x30C6\x30A3"},
        {L"Ouvrir avec (&W)", L"Ouvrir avec"},
        {L"Tom && Jerry", L"Tom & Jerry"},
        {L"(&&)", L"(&)"},
        {L"Fin&", L"Fin"},
        {L"(&X", L"(X"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        wchar_t text[64];
        lstrcpyW(text, c.label);
        RemoveAccessKeyMarkers(text);
        EXPECT_EQ(Utf8(c.title), Utf8(text)) << "from " << Utf8(c.label);
    }
}

TEST(MenuClass, IsTheClassThatTheManifestNames) {
    CLSID parsed = {};
    ASSERT_EQ(S_OK, CLSIDFromString(Wide(VMX_MENU_CLSID).c_str(), &parsed));
    EXPECT_TRUE(IsEqualCLSID(parsed, CLSID_PackagedMenuCommand));
    static_assert(!menuclsid::WellFormed("{f31c53be-1d19-4b7b-af85-1fda349482bz}"));
    static_assert(!menuclsid::WellFormed("(f31c53be-1d19-4b7b-af85-1fda349482b2)"));
}

class CommandTest : public BuiltMenuDll {
protected:
    void SetUp() override { MakeCommand(command_); }
    ComHold<IExplorerCommand> command_;
};

// The classic item's label in the system's language: Japanese on a Japanese system,
// French on every other, with its access key gone.
TEST_F(CommandTest, TitleIsTheClassicLabelOfTheSystemsLanguageWithoutItsAccessKey) {
    LPWSTR title = nullptr;
    ASSERT_EQ(S_OK, command_->GetTitle(nullptr, &title));
    ASSERT_NE(nullptr, title);
    const wchar_t* expected = GetSystemDefaultLangID() == 0x0411
                                  ? L"\x30D9\x30EB\x30DEMAX"  // ベルマMAX
                                  : L"Vellu Max";
    EXPECT_EQ(Utf8(expected), Utf8(title)) << "system language " << GetSystemDefaultLangID();
    CoTaskMemFree(title);
}

TEST_F(CommandTest, IconIsTheViewerBesideTheDllByItsAbsolutePath) {
    LPWSTR icon = nullptr;
    ASSERT_EQ(S_OK, command_->GetIcon(nullptr, &icon));
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(Utf8((Wide(viewer_) + L",0").c_str()), Utf8(icon));
    CoTaskMemFree(icon);
}

TEST_F(CommandTest, AnswersAsOneCommandWithoutSubcommands) {
    LPWSTR tip = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(E_NOTIMPL, command_->GetToolTip(nullptr, &tip));
    EXPECT_EQ(nullptr, tip);
    GUID name = CLSID_PackagedMenuCommand;
    EXPECT_EQ(S_OK, command_->GetCanonicalName(&name));
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, name));
    EXPCMDFLAGS flags = ECF_HASSUBCOMMANDS;
    EXPECT_EQ(S_OK, command_->GetFlags(&flags));
    EXPECT_EQ(ECF_DEFAULT, flags);
    IEnumExplorerCommand* sub = reinterpret_cast<IEnumExplorerCommand*>(1);
    EXPECT_EQ(E_NOTIMPL, command_->EnumSubCommands(&sub));
    EXPECT_EQ(nullptr, sub);
    EXPECT_EQ(E_POINTER, command_->GetTitle(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, command_->GetState(nullptr, FALSE, nullptr));
}

TEST_F(CommandTest, ItsInterfacesShareOneIdentityAndItOffersNoClassicMenu) {
    ComHold<IObjectWithSite> withSite;
    ASSERT_EQ(S_OK, command_->QueryInterface(IID_IObjectWithSite,
                                             reinterpret_cast<void**>(withSite.Put())));
    ComHold<IUnknown> a, b;
    command_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(a.Put()));
    withSite->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(b.Put()));
    EXPECT_EQ(a.Get(), b.Get());
    void* menu = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, command_->QueryInterface(IID_IContextMenu, &menu));
    EXPECT_EQ(nullptr, menu);
}

TEST_F(CommandTest, TheDllStaysWhileAnyObjectLivesAndServesOnlyItsClass) {
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(Export("DllCanUnloadNow"));
    ASSERT_NE(nullptr, canUnload);
    EXPECT_EQ(S_FALSE, canUnload()) << "a command is alive";
    command_.Put();
    EXPECT_EQ(S_OK, canUnload()) << "every object is gone";

    auto getClassObject =
        reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(Export("DllGetClassObject"));
    // The classic extension's class is not this DLL's.
    const CLSID classic = {
        0x0B95B7E0, 0xC8B9, 0x11CF, {0x8F, 0x59, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(classic, IID_IClassFactory, &factory));
    EXPECT_EQ(nullptr, factory);
}

// The state: enabled for a selection in the new menu, hidden without one and in the
// classic menu, whose site answers IOleWindow with a window other than the tree's.
class StateTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        if (HasFatalFailure()) return;
        file_ = Wide(files_.File("a.txt"));
        CreateEmptyFile(file_);
        items_ = new CountingItemArray(ItemsFromParsingNames({file_}));
        // the wrapper holds its own reference to the shell's array
        ASSERT_EQ(S_OK, command_->QueryInterface(IID_IObjectWithSite,
                                                 reinterpret_cast<void**>(withSite_.Put())));
    }
    void TearDown() override {
        if (items_) items_->Release();
    }

    EXPCMDSTATE State(IShellItemArray* items) {
        EXPCMDSTATE state = static_cast<EXPCMDSTATE>(0x7F);
        EXPECT_EQ(S_OK, command_->GetState(items, FALSE, &state));
        return state;
    }

    vmxtest::TempFolder files_{"vmxstate"};
    std::wstring file_;
    CountingItemArray* items_ = nullptr;
    ComHold<IObjectWithSite> withSite_;
};

TEST_F(StateTest, SiteDecidesBetweenTheNewMenuAndTheClassicOne) {
    TestWindow classic(L"VmxClassicMenuOwner");
    TestWindow tree(L"NamespaceTreeControl");
    struct Case {
        const char* what;
        HWND window;
        bool answersOleWindow;
        EXPCMDSTATE expected;
    } cases[] = {
        {"a site with a window of another class (the classic menu)", classic.Handle(), true,
         ECS_HIDDEN},
        {"the navigation pane's tree", tree.Handle(), true, ECS_ENABLED},
        {"a site without IOleWindow", classic.Handle(), false, ECS_ENABLED},
        {"a site without a window", nullptr, true, ECS_ENABLED},
    };
    EXPECT_EQ(ECS_ENABLED, State(items_)) << "no site";
    for (const Case& c : cases) {
        WindowSite* site = new WindowSite(c.window, c.answersOleWindow);
        ASSERT_EQ(S_OK, withSite_->SetSite(site));
        EXPECT_EQ(c.expected, State(items_)) << c.what;
        ComHold<IUnknown> got;
        EXPECT_EQ(S_OK, withSite_->GetSite(IID_IUnknown, reinterpret_cast<void**>(got.Put())));
        EXPECT_EQ(static_cast<IUnknown*>(site), got.Get());
        got.Put();
        ASSERT_EQ(S_OK, withSite_->SetSite(nullptr));
        EXPECT_EQ(1u, site->References()) << c.what << ": the command still holds the site";
        site->Release();
    }
    EXPECT_EQ(ECS_ENABLED, State(items_)) << "after the site was taken away";
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_FAIL, withSite_->GetSite(IID_IUnknown, &none));
    EXPECT_EQ(nullptr, none);
}

TEST_F(StateTest, NeitherTheItemsNorTheDiskAreTouched) {
    EXPECT_EQ(ECS_ENABLED, State(items_));
    // The file gone: the answer is the same, since it is never looked at.
    ASSERT_TRUE(DeleteFileW(file_.c_str()));
    EXPECT_EQ(ECS_ENABLED, State(items_));
    EXPECT_EQ(0, items_->Calls()) << "calls made to the selection";
}

TEST_F(StateTest, NoSelectionHidesTheCommand) {
    EXPECT_EQ(ECS_HIDDEN, State(nullptr));
    EXPCMDSTATE state = ECS_ENABLED;
    EXPECT_EQ(S_OK, command_->GetState(nullptr, TRUE, &state)) << "with time to spare";
    EXPECT_EQ(ECS_HIDDEN, state);
}

}  // namespace
}  // namespace menutest
