// ColumnsEh: the owning column collection and the non-owning column list.
#include "grid/ColumnsEh.h"

#include "runtime/Assert.h"

#include "grid/ColumnGridEh.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

int TColumnsEhList::IndexOf(const TColumnEh* column) const
{
    const auto found = std::find(items_.begin(), items_.end(), column);
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void TColumnsEhList::Remove(const TColumnEh* column)
{
    const int index = IndexOf(column);
    if (index >= 0)
        items_.erase(items_.begin() + index);
}

void TColumnsEhList::Exchange(int first, int second)
{
    std::swap(items_.at(static_cast<std::size_t>(first)), items_.at(static_cast<std::size_t>(second)));
}

TCustomDBGridEh* TDBGridColumnsEh::Grid() const
{
    return grid_ ? grid_->DataGrid() : nullptr;
}

TDBGridColumnsEh::~TDBGridColumnsEh()
{
    // The grid is going away: no notification may reach it.
    ++updateCount_;
    items_.clear();
}

TDBGridColumnEh* TDBGridColumnsEh::AddItem(bool persistent)
{
    if (grid_)
        grid_->GridLockLayout();
    const ScopeExit unlock([this] {
        if (grid_)
            grid_->GridUnlockLayout();
    });
    items_.push_back(std::make_unique<TDBGridColumnEh>(this));
    TDBGridColumnEh* column = items_.back().get();
    column->persistent_ = persistent;
    Update(nullptr);
    return column;
}

TDBGridColumnEh* TDBGridColumnsEh::Add()
{
    return AddItem(true);
}

TDBGridColumnEh* TDBGridColumnsEh::AddGenerated()
{
    return AddItem(false);
}

void TDBGridColumnsEh::Delete(int index)
{
    QELVOR_ASSERT(index >= 0 && index < Count());
    // The column leaves the collection before it is destroyed, so that its
    // destructor sees a consistent collection.
    auto column = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    column.reset();
    Update(nullptr);
}

void TDBGridColumnsEh::Clear()
{
    if (items_.empty())
        return;
    BeginUpdate();
    const ScopeExit endUpdate([this] { EndUpdate(); });
    while (!items_.empty()) {
        auto column = std::move(items_.back());
        items_.pop_back();
        column.reset();
    }
}

void TDBGridColumnsEh::Move(int from, int to)
{
    QELVOR_ASSERT(from >= 0 && from < Count() && to >= 0 && to < Count());
    if (from == to)
        return;
    auto column = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(column));
    Update(nullptr);
}

int TDBGridColumnsEh::IndexOf(const TColumnEh* column) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == column)
            return static_cast<int>(i);
    return -1;
}

void TDBGridColumnsEh::EndUpdate()
{
    QELVOR_ASSERT(updateCount_ > 0);
    if (--updateCount_ == 0)
        Update(nullptr);
}

void TDBGridColumnsEh::Update(TColumnEh* item)
{
    if (updateCount_ > 0 || !grid_)
        return;
    grid_->GridColumnsChanged(item);
}

}  // namespace qelvor
