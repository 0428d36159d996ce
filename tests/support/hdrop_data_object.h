// A data object that serves a list of paths as CF_HDROP in global memory, the way the shell
// hands a selection to a context-menu handler. It counts the media it gives out and the
// media given back with ReleaseStgMedium, and can be told to refuse GetData. It can also
// serve any block of bytes, well-formed or not.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "com_hold.h"

namespace vmxtest {

// A DROPFILES block: the header, then every name (its bytes as the list holds them: ANSI,
// or UTF-16 little-endian when wide) with its terminating zero, then the empty name.
std::string DropFilesBytes(const std::vector<std::string>& names, bool wide);
// The UTF-16 little-endian bytes of a text, as a wide list holds them.
std::string WideBytes(const std::wstring& text);

class HDropDataObject final : public IDataObject {
public:
    // A new object with one reference, owned by the caller. With wide set, the DROPFILES
    // block holds UTF-16 paths (as a Unicode shell makes it), converted from the ANSI code page.
    static HDropDataObject* Create(const std::vector<std::string>& paths, bool wide = false);
    // UTF-16 paths as they are, names outside the ANSI code page too.
    static HDropDataObject* CreateWide(const std::vector<std::wstring>& paths);
    // Serves `block` as the whole DROPFILES block.
    static HDropDataObject* CreateRaw(const std::string& block);

    // GetData answers this failure code from now on.
    void FailGetData(HRESULT failure) { getDataFailure_ = failure; }
    // Media handed out by GetData and media released again through their pUnkForRelease.
    LONG MediaGiven() const { return mediaGiven_; }
    LONG MediaReleased() const { return mediaReleased_; }
    ULONG References() const { return refs_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    explicit HDropDataObject(std::string block) : block_(std::move(block)) {}
    ~HDropDataObject() = default;
    HGLOBAL MakeDropFiles() const;

    // Given back by ReleaseStgMedium; frees the block and counts the release.
    class MediumOwner;

    std::string block_;
    HRESULT getDataFailure_ = S_OK;
    volatile LONG refs_ = 1;
    volatile LONG mediaGiven_ = 0;
    volatile LONG mediaReleased_ = 0;
};

}  // namespace vmxtest
