#include "item_table.h"

#include <windows.h>

#include <algorithm>
#include <numeric>
#include <utility>

ItemTable::ItemTable(std::shared_ptr<const std::vector<std::string>> paths)
    : paths_(std::move(paths)),
      entries_(paths_->size()),
      icons_(entries_.size(), -1),
      order_(entries_.size()),
      rowOf_(entries_.size()) {
    std::iota(order_.begin(), order_.end(), 0);
    std::iota(rowOf_.begin(), rowOf_.end(), 0);
}

ItemTable::Entry& ItemTable::Named(int item) {
    std::unique_ptr<Entry>& entry = entries_[item];
    if (!entry) {
        entry = std::make_unique<Entry>();
        entry->info = NamedItem((*paths_)[item]);
        entry->row.cells[kColumnName] = entry->info.name;
        entry->row.cells[kColumnFolder] = entry->info.folder;
    }
    return *entry;
}

int ItemTable::RowOfItem(int item) const {
    return item >= 0 && item < Count() ? rowOf_[item] : -1;
}

bool ItemTable::TakeResults(ItemLookup& lookup) {
    size_t done = std::min(lookup.Done(), entries_.size());
    if (done <= lookedUp_) return false;
    for (size_t i = lookedUp_; i < done; ++i) {
        LookedUpItem& result = lookup.Result(i);
        if (!entries_[i]) entries_[i] = std::make_unique<Entry>();
        entries_[i]->info = std::move(result.info);
        entries_[i]->row = std::move(result.row);
        icons_[i] = -1;  // its own icon, no longer the one its name gave
        AddToTotals(totals_, entries_[i]->info);
    }
    lookedUp_ = done;
    return true;
}

void ItemTable::Sort(ItemColumn column, bool descending) {
    for (int item = 0; item < Count(); ++item) Named(item);
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        int r = CompareItems(entries_[a]->info, entries_[b]->info, column);
        return descending ? r > 0 : r < 0;
    });
    for (size_t row = 0; row < order_.size(); ++row) rowOf_[order_[row]] = static_cast<int>(row);
}

int ItemTable::FindByName(const std::wstring& prefix, int start, bool wrap) {
    int count = Count();
    if (prefix.empty() || count == 0) return -1;
    if (start < 0 || start >= count) start = 0;
    int length = static_cast<int>(prefix.size());
    for (int n = 0; n < (wrap ? count : count - start); ++n) {
        int row = (start + n) % count;
        const std::wstring& name = ItemAt(row).name;
        if (static_cast<int>(name.size()) >= length &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.data(), length, prefix.data(),
                           length) == CSTR_EQUAL)
            return row;
    }
    return -1;
}
