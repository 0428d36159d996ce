#include "elevation.h"

// clang-format off
#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>
// clang-format on

#include <string>

#include "environment.h"
#include "scoped_handle.h"
#include "system_calls.h"
#include "system_function.h"

// The method IShellDispatch2::ShellExecute, not the A/W function macro.
#undef ShellExecute

namespace {

// Holds one interface pointer and releases it.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface** Out() { return &pointer_; }
    void** OutVoid() { return reinterpret_cast<void**>(&pointer_); }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    Interface* pointer_ = nullptr;
};

class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

class Bstr {
public:
    explicit Bstr(const char* text) {
        int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (length <= 0) return;
        std::wstring wide(length, L'\0');
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
        value_ = SysAllocString(wide.c_str());
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return value_; }

private:
    BSTR value_ = nullptr;
};

}  // namespace

namespace {

// Whether the token holds the Administrators group, enabled: SYSTEM, the built-in
// Administrator, an administrator with UAC switched off, or before Vista.
bool HoldsAdministrators() {
    using CheckFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    using AllocateFn = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD,
                                     DWORD, DWORD, DWORD, DWORD, PSID*);
    using FreeFn = PVOID(WINAPI*)(PSID);
    auto check = SystemFunction<CheckFn>("advapi32.dll", "CheckTokenMembership");
    auto allocate = SystemFunction<AllocateFn>("advapi32.dll", "AllocateAndInitializeSid");
    auto free = SystemFunction<FreeFn>("advapi32.dll", "FreeSid");
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!check || !allocate || !free ||
        !allocate(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                  &administrators))
        return false;
    BOOL member = FALSE;
    const bool holds = check(nullptr, administrators, &member) && member;
    free(administrators);
    return holds;
}

}  // namespace

DWORD CurrentElevationType() {
    using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
    using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    auto openToken = SystemFunction<OpenProcessTokenFn>("advapi32.dll", "OpenProcessToken");
    auto getInformation = SystemFunction<GetTokenInformationFn>("advapi32.dll", "GetTokenInformation");
    HANDLE token = nullptr;
    if (!openToken || !getInformation || !openToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    ScopedHandle held(token);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    const bool known = getInformation(token, TokenElevationType, &type, sizeof type, &size) != FALSE;
    if (known && type != TokenElevationTypeDefault) return static_cast<DWORD>(type);
    // A token that UAC did not split has an administrator's rights all the same when it
    // holds the group: for what this program reads and opens, that is elevated.
    if (HoldsAdministrators()) return TokenElevationTypeFull;
    return known ? static_cast<DWORD>(type) : 0;
}

BOOL OpenThroughDesktopShell(const char* file) {
    ComApartment apartment;
    ComRef<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                windows.OutVoid())))
        return FALSE;
    VARIANT desktop;
    VariantInit(&desktop);
    V_VT(&desktop) = VT_I4;
    V_I4(&desktop) = CSIDL_DESKTOP;
    VARIANT none;
    VariantInit(&none);
    long window = 0;
    ComRef<IDispatch> found;
    if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              found.Out()) != S_OK ||
        !found)
        return FALSE;
    ComRef<IServiceProvider> provider;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    ComRef<IShellDispatch2> shell;
    if (FAILED(found->QueryInterface(IID_IServiceProvider, provider.OutVoid())) ||
        FAILED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Out())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid())) ||
        FAILED(folderView->get_Application(application.Out())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.OutVoid())))
        return FALSE;
    Bstr path(file);
    VARIANT show;
    VariantInit(&show);
    V_VT(&show) = VT_I4;
    V_I4(&show) = SW_SHOWNORMAL;
    return path.Get() && SUCCEEDED(shell->ShellExecute(path.Get(), none, none, none, show));
}

bool RunsElevated() {
    return IsWindowsNT() && SystemCalls.ElevationType() == TokenElevationTypeFull;
}
