#include "bench_selection.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace bench {

std::vector<std::string> OrdinaryPaths(int count) {
    static const char* const roots[] = {
        "C:\\Documents and Settings\\Marie Dupont\\Mes documents",
        "D:\\Projets\\Client R\xE9gion Nord",  // Région
        "C:\\Program Files\\Outils de mesure",
        "\\\\serveur\\partage\\\xC9quipe commerciale",  // Équipe
        "E:\\Photos",
    };
    static const char* const folders[] = {
        "",
        "\\Rapports 2024",
        "\\Photos de l'\xE9t\xE9\\Vacances \xE0 la mer",  // été, à
        "\\Archives\\Ann\xE9"
        "e 1998\\Trimestre 3\\Relev\xE9s",  // Année, Relevés
        "\\Nouveau dossier (2)",
    };
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[96];
        std::snprintf(name, sizeof name, "\\Fichier %d%.*s.txt", i, i % 23,
                      " - copie de la version");
        paths.push_back(std::string(roots[i % 5]) + folders[(i / 5) % 5] + name);
    }
    return paths;
}

DropBlock::DropBlock(const std::vector<std::string>& paths, bool wide) {
    // DROPFILES, every path with its terminating zero, one more zero.
    std::string names;
    for (const std::string& path : paths) {
        if (!wide) {
            names.append(path.c_str(), path.size() + 1);
            continue;
        }
        WCHAR text[MAX_PATH];
        int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, text, MAX_PATH);
        names.append(reinterpret_cast<const char*>(text), n * sizeof(WCHAR));
    }
    names.append(wide ? sizeof(WCHAR) : 1, '\0');
    block_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    if (!block_) return;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block_));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = wide;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block_);
}

DropBlock::~DropBlock() {
    if (block_) GlobalFree(block_);
}

STDMETHODIMP FixedDropData::QueryInterface(REFIID riid, void** ppv) {
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject)) return E_NOINTERFACE;
    *ppv = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP FixedDropData::QueryGetData(FORMATETC* format) {
    if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    return S_OK;
}

STDMETHODIMP FixedDropData::GetData(FORMATETC* format, STGMEDIUM* medium) {
    HRESULT usable = QueryGetData(format);
    if (FAILED(usable)) return usable;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block_;
    medium->pUnkForRelease = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

}  // namespace bench
