#include "hdrop_data_object.h"

#include <shlobj.h>

#include <cstring>
#include <new>

namespace vmxtest {

// ReleaseStgMedium calls Release on a medium's pUnkForRelease instead of freeing the block
// itself, so the block is freed here and the data object learns the medium came back.
class HDropDataObject::MediumOwner final : public IUnknown {
public:
    MediumOwner(HDropDataObject* source, HGLOBAL block) : source_(source), block_(block) {
        source_->AddRef();
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            GlobalFree(block_);
            InterlockedIncrement(&source_->mediaReleased_);
            source_->Release();
            delete this;
        }
        return left;
    }

private:
    ~MediumOwner() = default;
    HDropDataObject* source_;
    HGLOBAL block_;
    volatile LONG refs_ = 1;
};

HDropDataObject* HDropDataObject::Create(const std::vector<std::string>& paths, bool wide) {
    return new HDropDataObject(paths, wide);
}

HDropDataObject::HDropDataObject(const std::vector<std::string>& paths, bool wide)
    : paths_(paths), wide_(wide) {}

STDMETHODIMP HDropDataObject::QueryInterface(REFIID riid, void** ppv) {
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject)) return E_NOINTERFACE;
    *ppv = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HDropDataObject::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) HDropDataObject::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

HGLOBAL HDropDataObject::MakeDropFiles() const {
    // Wine's DragQueryFile counts a well-formed empty list as one empty path, where Windows
    // counts none; an empty selection is therefore served as an empty block, which both
    // read as no items at all.
    if (paths_.empty()) return GlobalAlloc(GMEM_MOVEABLE, 0);

    // DROPFILES, then every path with its terminating zero, then one more zero.
    std::string names;
    for (const std::string& path : paths_) {
        if (wide_) {
            int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
            std::wstring w(n, L'\0');
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, w.data(), n);
            names.append(reinterpret_cast<const char*>(w.data()), n * sizeof(wchar_t));
        } else {
            names.append(path.c_str(), path.size() + 1);
        }
    }
    names.append(wide_ ? sizeof(wchar_t) : 1, '\0');

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    if (!block) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = wide_;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    return block;
}

STDMETHODIMP HDropDataObject::QueryGetData(FORMATETC* format) {
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    return S_OK;
}

STDMETHODIMP HDropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (FAILED(getDataFailure_)) return getDataFailure_;
    HRESULT usable = QueryGetData(format);
    if (FAILED(usable)) return usable;
    HGLOBAL block = MakeDropFiles();
    if (!block) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = new MediumOwner(this, block);
    InterlockedIncrement(&mediaGiven_);
    return S_OK;
}

STDMETHODIMP HDropDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

}  // namespace vmxtest
