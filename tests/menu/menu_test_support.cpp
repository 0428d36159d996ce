#include "menu_test_support.h"

#include <shlobj.h>

#include "menu_clsid.h"

namespace menutest {

using vmxtest::ComHold;

std::wstring Wide(const std::string& ansi) {
    std::wstring wide(ansi.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(),
                                static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return wide;
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void CreateEmptyFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot create a test file: " << GetLastError();
    CloseHandle(file);
}

IShellItemArray* ItemsFromIdLists(const std::vector<PIDLIST_ABSOLUTE>& ids) {
    IShellItemArray* items = nullptr;
    HRESULT made = SHCreateShellItemArrayFromIDLists(
        static_cast<UINT>(ids.size()), const_cast<PCIDLIST_ABSOLUTE_ARRAY>(ids.data()), &items);
    EXPECT_EQ(S_OK, made) << "SHCreateShellItemArrayFromIDLists";
    return items;
}

IShellItemArray* ItemsFromParsingNames(const std::vector<std::wstring>& names) {
    std::vector<PIDLIST_ABSOLUTE> ids;
    for (const std::wstring& name : names) {
        PIDLIST_ABSOLUTE id = nullptr;
        HRESULT parsed = SHParseDisplayName(name.c_str(), nullptr, &id, 0, nullptr);
        EXPECT_EQ(S_OK, parsed) << "SHParseDisplayName of a test item";
        if (id) ids.push_back(id);
    }
    IShellItemArray* items = ItemsFromIdLists(ids);
    for (PIDLIST_ABSOLUTE id : ids) CoTaskMemFree(id);
    return items;
}

IShellItemArray* ItemsInFolder(const std::wstring& folder, const std::vector<std::wstring>& names) {
    PIDLIST_ABSOLUTE folderId = nullptr;
    EXPECT_EQ(S_OK, SHParseDisplayName(folder.c_str(), nullptr, &folderId, 0, nullptr));
    ComHold<IShellFolder> desktop, shellFolder;
    SHGetDesktopFolder(desktop.Put());
    EXPECT_EQ(S_OK, desktop->BindToObject(folderId, nullptr, IID_IShellFolder,
                                          reinterpret_cast<void**>(shellFolder.Put())));
    std::vector<PIDLIST_ABSOLUTE> ids;
    for (const std::wstring& name : names) {
        PIDLIST_RELATIVE child = nullptr;
        if (shellFolder.Get() &&
            SUCCEEDED(shellFolder->ParseDisplayName(
                nullptr, nullptr, const_cast<LPWSTR>(name.c_str()), nullptr, &child, nullptr))) {
            ids.push_back(ILCombine(folderId, child));
            CoTaskMemFree(child);
        }
    }
    EXPECT_EQ(names.size(), ids.size()) << "names parsed in the folder";
    IShellItemArray* items = ItemsFromIdLists(ids);
    for (PIDLIST_ABSOLUTE id : ids) CoTaskMemFree(id);
    CoTaskMemFree(folderId);
    return items;
}

std::string AnsiNameOf(const std::wstring& path) {
    char ansi[MAX_PATH] = {};
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, ansi, MAX_PATH,
                                nullptr, &lost);
    if (n > 0 && !lost) return ansi;
    wchar_t shortPath[MAX_PATH] = {};
    if (GetShortPathNameW(path.c_str(), shortPath, MAX_PATH) == 0) return "";
    WideCharToMultiByte(CP_ACP, 0, shortPath, -1, ansi, MAX_PATH, nullptr, nullptr);
    return ansi;
}

STDMETHODIMP CountingItemArray::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IShellItemArray)) {
        ++calls_;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IShellItemArray*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CountingItemArray::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CountingItemArray::BindToHandler(IBindCtx* bc, REFGUID bhid, REFIID riid, void** ppv) {
    ++calls_;
    return inner_->BindToHandler(bc, bhid, riid, ppv);
}
STDMETHODIMP CountingItemArray::GetPropertyStore(GETPROPERTYSTOREFLAGS flags, REFIID riid,
                                                 void** ppv) {
    ++calls_;
    return inner_->GetPropertyStore(flags, riid, ppv);
}
STDMETHODIMP CountingItemArray::GetPropertyDescriptionList(REFPROPERTYKEY key, REFIID riid,
                                                           void** ppv) {
    ++calls_;
    return inner_->GetPropertyDescriptionList(key, riid, ppv);
}
STDMETHODIMP CountingItemArray::GetAttributes(SIATTRIBFLAGS flags, SFGAOF mask,
                                              SFGAOF* attributes) {
    ++calls_;
    return inner_->GetAttributes(flags, mask, attributes);
}
STDMETHODIMP CountingItemArray::GetCount(DWORD* count) {
    ++calls_;
    return inner_->GetCount(count);
}
STDMETHODIMP CountingItemArray::GetItemAt(DWORD index, IShellItem** item) {
    ++calls_;
    return inner_->GetItemAt(index, item);
}
STDMETHODIMP CountingItemArray::EnumItems(IEnumShellItems** items) {
    ++calls_;
    return inner_->EnumItems(items);
}

TestWindow::TestWindow(const wchar_t* className) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);  // a second registration of the same class fails harmlessly
    // Message-only: a real window of that class, also where no display is shown.
    window_ = CreateWindowW(className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(nullptr, window_) << "CreateWindowW failed: " << GetLastError();
}

TestWindow::~TestWindow() {
    if (window_) DestroyWindow(window_);
}

STDMETHODIMP WindowSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || (ole_ && IsEqualIID(riid, IID_IOleWindow))) {
        *ppv = static_cast<IOleWindow*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) WindowSite::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP WindowSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

BuiltMenuDll::BuiltMenuDll() {
    copied_ = CopyFileA(WindowsPath(VMX_VIEWER_STAND_IN_FILE).c_str(), viewer_.c_str(), FALSE) &&
              CopyFileA(WindowsPath(VMX_MENU_DLL_FILE).c_str(), dllCopy_.c_str(), FALSE);
    if (copied_) {
        dll_ = LoadLibraryA(dllCopy_.c_str());
        loadError_ = GetLastError();
    }
}

BuiltMenuDll::~BuiltMenuDll() {
    if (dll_) FreeLibrary(dll_);
    for (int i = 0; i < 400 && vmxtest::FileExists(viewer_) && !DeleteFileA(viewer_.c_str()); ++i)
        Sleep(50);
}

void* BuiltMenuDll::Export(const char* name) const {
    return dll_ ? reinterpret_cast<void*>(GetProcAddress(dll_, name)) : nullptr;
}

void BuiltMenuDll::MakeCommand(ComHold<IExplorerCommand>& command) {
    ASSERT_TRUE(copied_) << "cannot copy the built files into " << folder_.Path();
    ASSERT_NE(nullptr, dll_) << "cannot load " << dllCopy_ << ": error " << loadError_;
    auto getClassObject =
        reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(Export("DllGetClassObject"));
    ASSERT_NE(nullptr, getClassObject) << "DllGetClassObject is not exported";
    ComHold<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject(CLSID_PackagedMenuCommand, IID_IClassFactory,
                                   reinterpret_cast<void**>(factory.Put())));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IExplorerCommand,
                                            reinterpret_cast<void**>(command.Put())));
}

bool BuiltMenuDll::ViewerReported() const {
    for (int i = 0; i < 400; ++i) {
        if (vmxtest::FileExists(folder_.File("done"))) return true;
        Sleep(50);
    }
    return false;
}

std::string BuiltMenuDll::Recorded(const char* file) const {
    std::string path = folder_.File(file);
    return vmxtest::FileExists(path) ? vmxtest::ReadFileBytes(path) : "";
}

}  // namespace menutest
