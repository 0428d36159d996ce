// The context-menu handler: captures the selection (IShellExtInit), adds its one command
// (IContextMenu) and starts the viewer when the command is chosen. Both interfaces share
// one reference count; the object's identity is its IShellExtInit interface.
#pragma once

#include <shlobj.h>
#include <windows.h>

inline constexpr int MaxSelectedPaths = 8192;

// The object is laid out as the shell sees it: the IContextMenu table at its address, the
// IShellExtInit table right after, then the fields below in this order.
class ShellExtHandler final : public IContextMenu, public IShellExtInit {
public:
    // A new handler holding no reference yet; null when there is no memory.
    static ShellExtHandler* Create();

    // IUnknown, reached through either interface.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, CHAR* name,
                                  UINT cchMax) override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) override;

    // The path most recently read from the selection.
    char LastPath[MAX_PATH];
    // Heap strings of MAX_PATH characters, owned by the handler; entries below
    // SelectedCount are in use, in selection order.
    char* SelectedPaths[MaxSelectedPaths];
    int SelectedCount;
    ULONG RefCount;

private:
    ShellExtHandler();
    ~ShellExtHandler();
    void ReleaseSelection();
    // Reads the drop list in `block`: S_OK with its paths kept, E_FAIL for an empty or
    // malformed list.
    HRESULT CaptureSelection(HGLOBAL block);
};
