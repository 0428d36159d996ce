// The packaged menu command: one IExplorerCommand that starts the viewer on the selection,
// and IObjectWithSite, through which it learns that it is asked for the classic menu,
// where the classic item already stands. Both interfaces share one reference count; the
// object's identity is its IExplorerCommand interface.
#pragma once

#include <shobjidl.h>
#include <windows.h>

class PackagedCommand final : public IExplorerCommand, public IObjectWithSite {
public:
    // A new command holding no reference yet; null when there is no memory.
    static PackagedCommand* Create();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IExplorerCommand
    STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* name) override;
    STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
    STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
    STDMETHODIMP GetCanonicalName(GUID* name) override;
    STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override;
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* context) override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppv) override;

private:
    PackagedCommand();
    ~PackagedCommand();

    ULONG refCount_ = 0;
    IUnknown* site_ = nullptr;
};

// True when `site` shows the classic menu: it answers IOleWindow with a window other than
// the navigation pane's tree, which the new menu also gives. No site: the new menu.
bool IsClassicMenuSite(IUnknown* site);
