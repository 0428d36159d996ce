#include "packaged_command.h"

#include <shlwapi.h>

#include <new>

#include "heap_memory.h"
#include "live_objects.h"
#include "menu_title.h"
#include "module_folder.h"
#include "reference_count.h"
#include "selection_paths.h"
#include "viewer_launch.h"

PackagedCommand* PackagedCommand::Create() {
    void* block = AllocateBytes(sizeof(PackagedCommand));
    return block ? new (block) PackagedCommand() : nullptr;
}

PackagedCommand::PackagedCommand() {
    ObjectConstructed();
}

PackagedCommand::~PackagedCommand() {
    if (site_) site_->Release();
    ObjectDestroyed();
}

STDMETHODIMP PackagedCommand::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IExplorerCommand) || IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IExplorerCommand*>(this);
    } else if (IsEqualIID(riid, IID_IObjectWithSite)) {
        *ppv = static_cast<IObjectWithSite*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) PackagedCommand::AddRef() {
    return IncrementReferences(refCount_);
}

STDMETHODIMP_(ULONG) PackagedCommand::Release() {
    ULONG left = DecrementReferences(refCount_);
    if (left == 0) {
        this->~PackagedCommand();
        FreeBytes(this);
    }
    return left;
}

STDMETHODIMP PackagedCommand::GetTitle(IShellItemArray*, LPWSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    wchar_t title[64];
    if (!MenuTitle(title, 64)) return E_FAIL;
    return SHStrDupW(title, name);
}

STDMETHODIMP PackagedCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
    if (!icon) return E_POINTER;
    *icon = nullptr;
    // The viewer's own icon, by the absolute path of the viewer beside this DLL.
    static const wchar_t kViewerIcon[] = L"vmxtool.exe,0";
    wchar_t path[MAX_PATH + 16];
    wchar_t folder[MAX_PATH];
    if (!ModuleFolder(folder)) return E_FAIL;
    lstrcpyW(path, folder);
    lstrcatW(path, kViewerIcon);
    return SHStrDupW(path, icon);
}

STDMETHODIMP PackagedCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
    if (tip) *tip = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP PackagedCommand::GetCanonicalName(GUID* name) {
    if (!name) return E_POINTER;
    *name = GUID_NULL;
    return S_OK;
}

// Runs while the menu is built, on the shell's window thread: it looks at neither the
// items nor the disk, only at whether there is a selection and where the menu shows.
STDMETHODIMP PackagedCommand::GetState(IShellItemArray* items, BOOL, EXPCMDSTATE* state) {
    if (!state) return E_POINTER;
    *state = items && !IsClassicMenuSite(site_) ? ECS_ENABLED : ECS_HIDDEN;
    return S_OK;
}

// As the classic item: the viewer starts on the selection and the call returns once it
// waits for its first message. What cannot start is no concern of the shell's.
STDMETHODIMP PackagedCommand::Invoke(IShellItemArray* items, IBindCtx*) {
    SelectionPaths paths;
    paths.Collect(items);
    if (paths.Count() == 0) return S_OK;
    char* const* selected = paths.Paths();
    return LaunchViewer(paths.LastPath(), selected, paths.Count());
}

STDMETHODIMP PackagedCommand::GetFlags(EXPCMDFLAGS* flags) {
    if (!flags) return E_POINTER;
    *flags = ECF_DEFAULT;
    return S_OK;
}

STDMETHODIMP PackagedCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
    if (commands) *commands = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP PackagedCommand::SetSite(IUnknown* site) {
    if (site) site->AddRef();
    IUnknown* old = static_cast<IUnknown*>(
        InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&site_), site));
    if (old) old->Release();
    return S_OK;
}

STDMETHODIMP PackagedCommand::GetSite(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!site_) return E_FAIL;
    return site_->QueryInterface(riid, ppv);
}

bool IsClassicMenuSite(IUnknown* site) {
    if (!site) return false;
    IOleWindow* window = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) || !window)
        return false;
    HWND handle = nullptr;
    HRESULT got = window->GetWindow(&handle);
    window->Release();
    if (FAILED(got) || !handle) return false;
    wchar_t name[32] = {};
    if (GetClassNameW(handle, name, 32) == 0) return false;
    return lstrcmpW(name, L"NamespaceTreeControl") != 0;
}
