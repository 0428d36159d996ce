// What the packaged command's tests share: real shell item arrays of real files, an array
// that counts what is asked of it, a site that answers IOleWindow with a real window, and
// the built vmxmenu.dll copied beside a stand-in viewer and used through COM.
#pragma once

#include <gtest/gtest.h>
#include <shobjidl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "com_hold.h"
#include "test_files.h"

namespace menutest {

// This thread in a single-threaded apartment for the scope, as Explorer's and the
// surrogate's threads are.
class Apartment {
public:
    Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Apartment() { CoUninitialize(); }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
};

std::wstring Wide(const std::string& ansi);
// A Windows path for a Unix path of the build tree (Wine shows the Unix root as Z:).
std::string WindowsPath(const std::string& unixPath);

// Creates an empty file (the name may lie outside the code page).
void CreateEmptyFile(const std::wstring& path);

// The shell's own item array for these absolute parsing names, each parsed on its own.
IShellItemArray* ItemsFromParsingNames(const std::vector<std::wstring>& names);
// The same for many files of one folder: the folder is parsed once and each name within it.
IShellItemArray* ItemsInFolder(const std::wstring& folder, const std::vector<std::wstring>& names);
// The item array of these ID lists, which the caller keeps owning.
IShellItemArray* ItemsFromIdLists(const std::vector<PIDLIST_ABSOLUTE>& ids);

// The ANSI name the viewer must be given for a file: the name itself when the code page
// holds it, else its short form. Either must open the file.
std::string AnsiNameOf(const std::wstring& path);

// Wraps an item array and counts every call made to it besides reference counting.
class CountingItemArray final : public IShellItemArray {
public:
    explicit CountingItemArray(IShellItemArray* inner) : inner_(inner) { inner_->AddRef(); }
    int Calls() const { return calls_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP BindToHandler(IBindCtx* bc, REFGUID bhid, REFIID riid, void** ppv) override;
    STDMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS flags, REFIID riid, void** ppv) override;
    STDMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY key, REFIID riid, void** ppv) override;
    STDMETHODIMP GetAttributes(SIATTRIBFLAGS flags, SFGAOF mask, SFGAOF* attributes) override;
    STDMETHODIMP GetCount(DWORD* count) override;
    STDMETHODIMP GetItemAt(DWORD index, IShellItem** item) override;
    STDMETHODIMP EnumItems(IEnumShellItems** items) override;

private:
    ~CountingItemArray() { inner_->Release(); }
    IShellItemArray* inner_;
    ULONG refs_ = 1;
    int calls_ = 0;
};

// A window of a class registered by this program under the given name.
class TestWindow {
public:
    explicit TestWindow(const wchar_t* className);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

// A menu's site: answers IOleWindow with `window`, or only IUnknown when told to.
class WindowSite final : public IOleWindow {
public:
    WindowSite(HWND window, bool answersOleWindow) : window_(window), ole_(answersOleWindow) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    ULONG References() const { return refs_; }

private:
    ~WindowSite() = default;
    HWND window_;
    bool ole_;
    ULONG refs_ = 1;
};

// A copy of the built vmxmenu.dll in a fresh folder, beside the recording stand-in for the
// viewer as vmxtool.exe, loaded as the COM surrogate loads it.
class BuiltMenuDll : public ::testing::Test {
protected:
    BuiltMenuDll();
    ~BuiltMenuDll() override;
    Apartment apartment_;

    // A command made through DllGetClassObject and its class factory.
    void MakeCommand(vmxtest::ComHold<IExplorerCommand>& command);
    // The export `name` of the loaded copy.
    void* Export(const char* name) const;
    // Waits for the stand-in's report; false when none came within 20 s.
    bool ViewerReported() const;
    // The stand-in's record of its start, or "" when it has none.
    std::string Recorded(const char* file) const;

    vmxtest::TempFolder folder_{"vmxmenu"};
    vmxtest::TempFolder lists_{"vmxmenulists"};
    std::string viewer_ = folder_.File("vmxtool.exe");
    std::string dllCopy_ = folder_.File("vmxmenu.dll");
    HMODULE dll_ = nullptr;
    DWORD loadError_ = 0;
    bool copied_ = false;
};

}  // namespace menutest
