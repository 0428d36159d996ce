#include "selection_paths.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "ansi_name.h"
#include "heap_memory.h"
#include "shell_ext_handler.h"

namespace {

// The folder that holds the items, bound once and kept while the next items lie in it
// too. Binding to an item's parent is most of what IShellItem::GetDisplayName costs, and
// a selection comes from one folder nearly always; the folder then answers for each item.
class ParentFolder {
public:
    ParentFolder() = default;
    ~ParentFolder() { Forget(); }
    ParentFolder(const ParentFolder&) = delete;
    ParentFolder& operator=(const ParentFolder&) = delete;

    // The folder holding the last item of `id`, bound anew only when its parent differs
    // from the one held, byte for byte; null when it cannot be bound.
    IShellFolder* For(PCIDLIST_ABSOLUTE id, PCUITEMID_CHILD child) {
        SIZE_T length = reinterpret_cast<const BYTE*>(child) - reinterpret_cast<const BYTE*>(id);
        if (folder_ && length == length_ && memcmp(bytes_, id, length) == 0) return folder_;
        Forget();
        bytes_ = static_cast<BYTE*>(AllocateBytes(length ? length : 1));
        if (!bytes_) return nullptr;
        if (FAILED(SHBindToParent(id, IID_IShellFolder, reinterpret_cast<void**>(&folder_),
                                  nullptr))) {
            folder_ = nullptr;
            return nullptr;
        }
        memcpy(bytes_, id, length);
        length_ = length;
        return folder_;
    }

private:
    void Forget() {
        if (folder_) folder_->Release();
        folder_ = nullptr;
        FreeBytes(bytes_);
        bytes_ = nullptr;
    }

    IShellFolder* folder_ = nullptr;
    BYTE* bytes_ = nullptr;
    SIZE_T length_ = 0;
};

SIZE_T ToAnsi(const wchar_t* wide, char* path) {
    return WideNameToAnsi(reinterpret_cast<const BYTE*>(wide), lstrlenW(wide),
                          *reinterpret_cast<char(*)[MAX_PATH]>(path));
}

// What IShellItem::GetDisplayName(SIGDN_FILESYSPATH) answers: the parsing name of an item
// that the file system holds, asked of the item's folder.
SIZE_T PathInFolder(IShellFolder* folder, PCUITEMID_CHILD child, char* path) {
    SFGAOF attributes = SFGAO_FILESYSTEM;
    if (FAILED(folder->GetAttributesOf(1, &child, &attributes)) || !(attributes & SFGAO_FILESYSTEM))
        return 0;
    STRRET name = {};
    if (FAILED(folder->GetDisplayNameOf(child, SHGDN_FORPARSING, &name))) return 0;
    if (name.uType == STRRET_WSTR) {
        SIZE_T n = name.pOleStr ? ToAnsi(name.pOleStr, path) : 0;
        CoTaskMemFree(name.pOleStr);
        return n;
    }
    wchar_t wide[MAX_PATH];
    if (FAILED(StrRetToBufW(&name, child, wide, MAX_PATH))) return 0;
    return ToAnsi(wide, path);
}

// The item's path into `path`; its length, 0 when it has none.
SIZE_T ItemPath(IShellItem* item, ParentFolder& parent, char* path) {
    PIDLIST_ABSOLUTE id = nullptr;
    if (SUCCEEDED(SHGetIDListFromObject(item, &id))) {
        PCUITEMID_CHILD child = ILFindLastID(id);
        // The desktop itself has no folder above it to ask.
        IShellFolder* folder = child->mkid.cb ? parent.For(id, child) : nullptr;
        SIZE_T n = folder ? PathInFolder(folder, child, path) : 0;
        CoTaskMemFree(id);
        if (folder) return n;
    }
    // An item that gives no ID list, or whose folder cannot be bound, answers itself.
    PWSTR wide = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &wide))) return 0;
    SIZE_T n = wide ? ToAnsi(wide, path) : 0;
    CoTaskMemFree(wide);
    return n;
}

}  // namespace

SelectionPaths::~SelectionPaths() {
    FreeBytes(paths_);
}

void SelectionPaths::Collect(IShellItemArray* items) {
    FreeBytes(paths_);
    paths_ = nullptr;
    count_ = 0;
    DWORD total = 0;
    if (!items || FAILED(items->GetCount(&total)) || total == 0) return;
    // As the classic item, the first MaxSelectedPaths items are taken.
    if (total > static_cast<DWORD>(MaxSelectedPaths)) total = MaxSelectedPaths;

    // The pointers first, then one MAX_PATH buffer per item.
    void* block = AllocateBytes(total * (sizeof(char*) + MAX_PATH));
    if (!block) return;
    paths_ = static_cast<char**>(block);
    char* buffers = static_cast<char*>(block) + total * sizeof(char*);

    ParentFolder parent;
    for (DWORD i = 0; i < total; ++i) {
        IShellItem* item = nullptr;
        if (FAILED(items->GetItemAt(i, &item)) || !item) continue;
        char* path = buffers + static_cast<SIZE_T>(count_) * MAX_PATH;
        if (ItemPath(item, parent, path) > 0) paths_[count_++] = path;
        item->Release();
    }
}
