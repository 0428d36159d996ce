// Looking the items up away from the window: a thread of its own asks the file system about
// each item in turn (thousands of them on a network share can take seconds) and tells the
// window through posted messages as results come in, so that the window answers all along.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "file_info.h"
#include "item_rows.h"
#include "viewer_texts.h"

struct LookedUpItem {
    ItemInfo info;
    ItemRow row;  // its cells as the list shows them
};

class ItemLookup {
public:
    // Starts the thread. It posts `message` to `window` while it works, at most about ten
    // times a second, and once more when it has looked up the last item.
    ItemLookup(std::shared_ptr<const std::vector<std::string>> paths, const ViewerTexts& texts,
               bool yearFirst, HWND window, UINT message);
    // Asks the thread to stop after its current item and waits for it a little. A look-up
    // on a share that went away can hang for long: such a thread keeps what it uses, and
    // the end of the process takes both.
    ~ItemLookup();
    ItemLookup(const ItemLookup&) = delete;
    ItemLookup& operator=(const ItemLookup&) = delete;

    bool Started() const { return thread_ != nullptr; }
    size_t Count() const;
    // How many items, from the first on, are looked up; Result(i) may be read, once, for i
    // below it.
    size_t Done() const;
    LookedUpItem& Result(size_t index);

private:
    struct Job;
    Job* job_;
    HANDLE thread_ = nullptr;
};
