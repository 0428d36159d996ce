#include "item_table.h"

#include <windows.h>

#include <algorithm>
#include <numeric>
#include <utility>

ItemTable::ItemTable(std::vector<ItemInfo> items)
    : items_(std::move(items)), rows_(items_.size()), icons_(items_.size(), -1),
      order_(items_.size()), rowOf_(items_.size()) {
    std::iota(order_.begin(), order_.end(), 0);
    std::iota(rowOf_.begin(), rowOf_.end(), 0);
    for (size_t i = 0; i < items_.size(); ++i) {
        rows_[i].cells[kColumnName] = items_[i].name;
        rows_[i].cells[kColumnFolder] = items_[i].folder;
    }
}

int ItemTable::RowOfItem(int item) const {
    return item >= 0 && item < Count() ? rowOf_[item] : -1;
}

std::vector<std::string> ItemTable::Paths() const {
    std::vector<std::string> paths;
    paths.reserve(items_.size());
    for (const ItemInfo& item : items_) paths.push_back(item.path);
    return paths;
}

bool ItemTable::TakeResults(ItemLookup& lookup) {
    size_t done = std::min(lookup.Done(), items_.size());
    if (done <= lookedUp_) return false;
    for (size_t i = lookedUp_; i < done; ++i) {
        LookedUpItem& result = lookup.Result(i);
        items_[i] = std::move(result.info);
        rows_[i] = std::move(result.row);
        icons_[i] = -1;  // its own icon, no longer the one its name gave
        AddToTotals(totals_, items_[i]);
    }
    lookedUp_ = done;
    return true;
}

void ItemTable::Sort(ItemColumn column, bool descending) {
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        int r = CompareItems(items_[a], items_[b], column);
        return descending ? r > 0 : r < 0;
    });
    for (size_t row = 0; row < order_.size(); ++row) rowOf_[order_[row]] = static_cast<int>(row);
}

int ItemTable::FindByName(const std::wstring& prefix, int start, bool wrap) const {
    int count = Count();
    if (prefix.empty() || count == 0) return -1;
    if (start < 0 || start >= count) start = 0;
    int length = static_cast<int>(prefix.size());
    for (int n = 0; n < (wrap ? count : count - start); ++n) {
        int row = (start + n) % count;
        const std::wstring& name = ItemAt(row).name;
        if (static_cast<int>(name.size()) >= length &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.data(), length,
                           prefix.data(), length) == CSTR_EQUAL)
            return row;
    }
    return -1;
}
