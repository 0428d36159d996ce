#include "hdrop_data_object.h"

#include <shlobj.h>

#include <cstring>
#include <new>

namespace vmxtest {

// ReleaseStgMedium calls Release on a medium's pUnkForRelease instead of freeing the block
// itself, so the block is freed here and the data object learns the medium came back.
class HDropDataObject::MediumOwner final : public IUnknown {
public:
    MediumOwner(HDropDataObject* source, HGLOBAL block, void* guard)
        : source_(source), block_(block), guard_(guard) {
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
            if (guard_) VirtualFree(guard_, 0, MEM_RELEASE);
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
    void* guard_;
    volatile LONG refs_ = 1;
};

namespace {

constexpr SIZE_T kPage = 4096;
// Large enough that the heap gives the block a mapping of its own.
constexpr SIZE_T kGuardedSpan = 2 * 1024 * 1024;

// A GMEM_FIXED block that ends exactly where its mapping ends, with the page after it
// reserved without access. The heap puts a header of its own before a large block; its
// length is measured first, so the block can be sized to end on a page boundary.
HGLOBAL AllocateBeforeGuard(SIZE_T& size, void*& guard) {
    HGLOBAL probe = GlobalAlloc(GMEM_FIXED, kGuardedSpan / 2);
    if (!probe) return nullptr;
    SIZE_T headerLength = reinterpret_cast<ULONG_PTR>(probe) % kPage;
    GlobalFree(probe);
    size = kGuardedSpan - headerLength;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
    if (!block) return nullptr;
    BYTE* end = static_cast<BYTE*>(block) + size;
    MEMORY_BASIC_INFORMATION after = {};
    VirtualQuery(end, &after, sizeof after);
    guard = nullptr;
    if (reinterpret_cast<ULONG_PTR>(end) % kPage == 0 && after.State == MEM_FREE)
        guard = VirtualAlloc(end, kPage, MEM_RESERVE, PAGE_NOACCESS);
    if (guard != end && after.State != MEM_RESERVE) {
        if (guard) VirtualFree(guard, 0, MEM_RELEASE);
        GlobalFree(block);
        return nullptr;
    }
    if (guard != end) guard = nullptr;  // reserved by someone else: unreadable all the same
    return block;
}

}  // namespace

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
    return new HDropDataObject(DropFilesBytes(names, wide), false);
}

HDropDataObject* HDropDataObject::CreateWide(const std::vector<std::wstring>& paths) {
    std::vector<std::string> names;
    for (const std::wstring& path : paths) names.push_back(WideBytes(path));
    return new HDropDataObject(DropFilesBytes(names, true), false);
}

HDropDataObject* HDropDataObject::CreateRaw(const std::string& block, bool endAtGuard) {
    return new HDropDataObject(block, endAtGuard && block.size() >= sizeof(DROPFILES));
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

HGLOBAL HDropDataObject::MakeDropFiles(void*& guard) const {
    guard = nullptr;
    if (!endAtGuard_) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, block_.size());
        if (!block || block_.empty()) return block;
        std::memcpy(GlobalLock(block), block_.data(), block_.size());
        GlobalUnlock(block);
        return block;
    }
    SIZE_T size = 0;
    HGLOBAL block = AllocateBeforeGuard(size, guard);
    if (!block) return nullptr;
    // The header first, the rest of the list last, nonzero filler between them, so that
    // the list's names keep their places relative to the block's end.
    const SIZE_T filler = size - block_.size();
    BYTE* bytes = static_cast<BYTE*>(block);
    std::memcpy(bytes, block_.data(), sizeof(DROPFILES));
    auto* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles += static_cast<DWORD>(filler);
    std::memset(bytes + sizeof(DROPFILES), 'x', filler);
    std::memcpy(bytes + sizeof(DROPFILES) + filler, block_.data() + sizeof(DROPFILES),
                block_.size() - sizeof(DROPFILES));
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
    void* guard = nullptr;
    HGLOBAL block = MakeDropFiles(guard);
    if (!block) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = new MediumOwner(this, block, guard);
    InterlockedIncrement(&mediaGiven_);
    return S_OK;
}

STDMETHODIMP HDropDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

}  // namespace vmxtest
