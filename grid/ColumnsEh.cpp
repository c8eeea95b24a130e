// ColumnsEh: the owning column collection and the non-owning column list.
#include "grid/ColumnsEh.h"

#include "runtime/Assert.h"

#include "grid/ColumnGridEh.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

TDBGridColumnsEh::TDBGridColumnsEh(TColumnGridEh* grid)
    : grid_(grid), sortMarking_(std::make_unique<TSortMarkingEh>(static_cast<TSortMarkingOwnerEh&>(*this)))
{
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
    TColumnOwnerEh* owner = this;  // the column sees the collection only as its owner
    items_.push_back(std::make_unique<TDBGridColumnEh>(owner, persistent));
    TDBGridColumnEh* column = items_.back().get();
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
    sortMarking_->Remove(*column);
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
        sortMarking_->Remove(*column);
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
    if (--updateCount_ > 0)
        return;
    // Markers and numbers given inside the update take their places first.
    sortMarking_->Rebuild();
    Update(nullptr);
}

void TDBGridColumnsEh::Update(TColumnEh* item)
{
    if (updateCount_ > 0 || !grid_)
        return;
    grid_->GridColumnsChanged(item);
}

}  // namespace qelvor
