// The items as the list shows them: one row per item, in the order of the last sort. The
// list view is virtual: it asks for rows by number, and this table answers from what is
// known. An item's name and folder come from its path when its row is first wanted, the
// rest when the look-up brings it in: nothing is done for all items before the window shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "file_info.h"
#include "item_lookup.h"
#include "item_rows.h"

class ItemTable {
public:
    explicit ItemTable(std::shared_ptr<const std::vector<std::string>> paths);

    int Count() const { return static_cast<int>(entries_.size()); }
    const ItemInfo& ItemAt(int row) { return Named(order_[row]).info; }
    const ItemRow& RowAt(int row) { return Named(order_[row]).row; }
    // The icon's index in the system's small image list, -1 while it is not known.
    int IconAt(int row) const { return icons_[order_[row]]; }
    void SetIconAt(int row, int icon) { icons_[order_[row]] = icon; }
    bool LookedUpAt(int row) const { return order_[row] < static_cast<int>(lookedUp_); }
    int ItemIndexAt(int row) const { return order_[row]; }
    int RowOfItem(int item) const;
    // Every item's path, in the order the items came; never changed, so that the look-up
    // may read them on its own thread.
    const std::shared_ptr<const std::vector<std::string>>& Paths() const { return paths_; }

    // Takes what the look-up has found since the last call; true when it brought anything.
    bool TakeResults(ItemLookup& lookup);
    int LookedUpCount() const { return static_cast<int>(lookedUp_); }
    bool AllLookedUp() const { return lookedUp_ == entries_.size(); }
    // The items looked up so far, added up.
    const ItemTotals& Totals() const { return totals_; }

    // Orders the rows by a column (ties by name, then path). Items not looked up yet sort
    // as missing ones.
    void Sort(ItemColumn column, bool descending);
    // The first row from `start` on (wrapping to the top when asked) whose name begins with
    // `prefix`, case ignored; -1 when none does.
    int FindByName(const std::wstring& prefix, int start, bool wrap);

private:
    struct Entry {
        ItemInfo info;
        ItemRow row;
    };
    Entry& Named(int item);

    std::shared_ptr<const std::vector<std::string>> paths_;
    std::vector<std::unique_ptr<Entry>> entries_;  // made when first wanted
    std::vector<int> icons_;
    std::vector<int> order_;  // row -> item
    std::vector<int> rowOf_;  // item -> row
    size_t lookedUp_ = 0;     // items [0, lookedUp_) are known
    ItemTotals totals_;
};
