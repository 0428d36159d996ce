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

std::string WideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string DropFilesBytes(const std::vector<std::string>& names, bool wide) {
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = wide;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    const std::string zero(wide ? sizeof(wchar_t) : 1, '\0');
    for (const std::string& name : names) block += name + zero;
    return block + zero;
}

HDropDataObject* HDropDataObject::Create(const std::vector<std::string>& paths, bool wide) {
    std::vector<std::string> names;
    for (const std::string& path : paths) {
        if (!wide) {
            names.push_back(path);
            continue;
        }
        int n =
            MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
        std::wstring w(n, L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), w.data(), n);
        names.push_back(WideBytes(w));
    }
    return new HDropDataObject(DropFilesBytes(names, wide));
}

HDropDataObject* HDropDataObject::CreateWide(const std::vector<std::wstring>& paths) {
    std::vector<std::string> names;
    for (const std::wstring& path : paths) names.push_back(WideBytes(path));
    return new HDropDataObject(DropFilesBytes(names, true));
}

HDropDataObject* HDropDataObject::CreateRaw(const std::string& block) {
    return new HDropDataObject(block);
}

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
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, block_.size());
    if (!block || block_.empty()) return block;
    std::memcpy(GlobalLock(block), block_.data(), block_.size());
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
