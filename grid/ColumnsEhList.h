// ColumnsEhList: a non-owning list of columns (VisibleColumnList, SortMarkedColumnList).
// Apart from the column collection so that the sort marking can hold one without
// knowing the collection.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

namespace qelvor {

class TColumnEh;

class TColumnsEhList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TColumnEh* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    TColumnEh* operator[](int index) const { return Items(index); }
    void Add(TColumnEh* column) { items_.push_back(column); }
    void Clear() { items_.clear(); }
    // Index of the column in the list, -1 when absent.
    int IndexOf(const TColumnEh* column) const
    {
        const auto found = std::find(items_.begin(), items_.end(), column);
        return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
    }
    // Removes the column when present.
    void Remove(const TColumnEh* column)
    {
        const int index = IndexOf(column);
        if (index >= 0)
            items_.erase(items_.begin() + index);
    }
    void Exchange(int first, int second)
    {
        std::swap(items_.at(static_cast<std::size_t>(first)), items_.at(static_cast<std::size_t>(second)));
    }
    // Sets the list length, new entries empty (nullptr).
    void SetCount(int count) { items_.resize(static_cast<std::size_t>(count), nullptr); }
    void Put(int index, TColumnEh* column) { items_.at(static_cast<std::size_t>(index)) = column; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<TColumnEh*> items_;  // the columns, in the list's order (not owned)
};

}  // namespace qelvor
