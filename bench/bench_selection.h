// Selections for the benchmarks: paths of ordinary length, a CF_HDROP block built once,
// and a data object that hands out that same block on every GetData.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// Paths several folders deep with spaces and accented letters (CP1252), 40 to 160 bytes,
// no two alike.
std::vector<std::string> OrdinaryPaths(int count);

// A DROPFILES block in global memory holding the paths as ANSI text, or as UTF-16 text
// converted from the ANSI code page as a Unicode shell hands them; freed with the object.
class DropBlock {
public:
    explicit DropBlock(const std::vector<std::string>& paths, bool wide = false);
    ~DropBlock();
    DropBlock(const DropBlock&) = delete;
    DropBlock& operator=(const DropBlock&) = delete;
    HGLOBAL Handle() const { return block_; }

private:
    HGLOBAL block_;
};

// Serves one DropBlock as CF_HDROP. The medium's pUnkForRelease is this object, so
// ReleaseStgMedium gives the block back without freeing it: every GetData costs the same
// and the baseline can read the very same block. Lives on the caller's stack; its
// reference count is only kept for form.
class FixedDropData final : public IDataObject {
public:
    explicit FixedDropData(HGLOBAL block) : block_(block) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    HGLOBAL block_;
    ULONG refs_ = 1;
};

}  // namespace bench
