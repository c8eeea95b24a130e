// DBGridEhKeyboard: what the data grid does with keys — the plain and Ctrl key
// tables, Esc, Enter toggling the editor, Ctrl's release raising a deferred sort
// notification — and the steps they are made of: MoveToColumn, StepRecords, TabWalk.
//
// The grid never keeps a record position of its own: every record key moves the
// dataset, and the link's notifications bring the grid along. Shift changes nothing
// while no selection can start; nothing here can change data.
#include <algorithm>
#include "runtime/Assert.h"

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/InplaceEdit.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

// The key tables of KeyDown: what a plain key and a Ctrl+key do to the grid.
class TCustomDBGridEh::KeyTable {
public:
    explicit KeyTable(TCustomDBGridEh& grid) : grid_(grid), d_(grid.d_.get()) {}
    void PlainKey(TVirtualKey key, TShiftState shift);
    void CtrlKey(TVirtualKey key);

private:
    void EscapeKey();
    bool HasSeveralDataColumns() const { return grid_.ColCount() - grid_.IndicatorColumns() > 1; }

    TCustomDBGridEh& grid_;  // the grid the keys act on
    Private* d_;  // its state
};

void TCustomDBGridEh::KeyDown(TVirtualKey& key, TShiftState shift)
{
    key = DoKeyDown(key, shift);
    if (!d_->dataLink->Active() || key == vk::None)
        return;
    if (shift.Contains(ssCtrl))
        KeyTable(*this).CtrlKey(key);
    else
        KeyTable(*this).PlainKey(key, shift);
}

void TCustomDBGridEh::KeyTable::PlainKey(TVirtualKey key, TShiftState shift)
{
    TDataSet* dataSet = d_->dataLink->DataSet();
    switch (key) {
    case vk::Up: grid_.PriorRecord(); break;
    case vk::Down: grid_.NextRecord(); break;
    case vk::Left:
        grid_.ClearSelection();
        grid_.MoveToColumn(grid_.Col() - 1, -1);
        break;
    case vk::Right:
        grid_.ClearSelection();
        grid_.MoveToColumn(grid_.Col() + 1, +1);
        break;
    case vk::Home:
        if (HasSeveralDataColumns()) {
            grid_.MoveToColumn(grid_.IndicatorColumns(), +1);
        } else {
            grid_.ClearSelection();
            dataSet->First();
        }
        break;
    case vk::End:
        if (HasSeveralDataColumns()) {
            grid_.MoveToColumn(grid_.ColCount() - 1, -1);
        } else {
            grid_.ClearSelection();
            dataSet->Last();
        }
        break;
    case vk::Prior:
        grid_.ClearSelection();
        d_->dataLink->MoveBy(-grid_.VisibleDataRows());
        break;
    case vk::Next:
        grid_.ClearSelection();
        d_->dataLink->MoveBy(grid_.VisibleDataRows());
        break;
    case vk::Tab:
        if (!shift.Contains(ssAlt))
            grid_.TabWalk(!shift.Contains(ssShift));
        break;
    case vk::Escape: EscapeKey(); break;
    case vk::F2:
        grid_.ShowEditor();
        if (grid_.EditorMode() && grid_.InplaceEditor() && grid_.InplaceEditor()->isVisible())
            grid_.InplaceEditor()->CaretToEnd();
        break;
    default: break;
    }
}

void TCustomDBGridEh::KeyTable::CtrlKey(TVirtualKey key)
{
    TDataSet* dataSet = d_->dataLink->DataSet();
    switch (key) {
    case vk::Up:
    case vk::Prior:
        grid_.ClearSelection();
        d_->dataLink->MoveBy(-d_->dataLink->ActiveRecord());
        break;
    case vk::Down:
    case vk::Next:
        grid_.ClearSelection();
        d_->dataLink->MoveBy(d_->dataLink->RecordCount() - d_->dataLink->ActiveRecord() - 1);
        break;
    case vk::Home:
        grid_.ClearSelection();
        dataSet->First();
        break;
    case vk::End:
        grid_.ClearSelection();
        dataSet->Last();
        break;
    case vk::Left: grid_.MoveToColumn(grid_.IndicatorColumns(), +1); break;
    case vk::Right: grid_.MoveToColumn(grid_.ColCount() - 1, -1); break;
    default: break;  // clipboard and select-all need edit actions the grid does not offer
    }
}

void TCustomDBGridEh::KeyTable::EscapeKey()
{
    d_->dataLink->Reset();
    grid_.ClearSelection();
    if (!d_->options.Contains(dgAlwaysShowEditor))
        grid_.HideEditor();
    if (grid_.Dragging())
        grid_.CancelMode();
}

void TCustomDBGridEh::KeyPress(char32_t& key)
{
    if (key == U'\r' && !d_->options.Contains(dgAlwaysShowEditor))
        CommitEditorText();
    TCustomGrid::KeyPress(key);
}

void TCustomDBGridEh::KeyUp(TVirtualKey& key, TShiftState shift)
{
    if (key == vk::Control && SortMarking().TakeChangePending())
        DoSortMarkingChanged();
    TCustomGrid::KeyUp(key, shift);
}

// --- steps ---

void TCustomDBGridEh::MoveToColumn(int gridCol, int direction)
{
    QELVOR_ASSERT(direction >= -1 && direction <= 1);
    CommitEditorText();
    const int first = IndicatorColumns();
    const int last = ColCount() - 1;
    if (last < first)
        return;
    gridCol = std::clamp(gridCol, first, last);
    if (direction != 0) {
        while (gridCol >= first && gridCol <= last && ColWidths(gridCol) < 1)
            gridCol += direction;
        if (gridCol < first || gridCol > last)
            return;
    }
    if (gridCol != Col()) {
        if (!d_->inColumnExit) {
            const int before = Col();
            const ScopedFlag exiting(d_->inColumnExit);
            if (d_->events.OnColExit)
                d_->events.OnColExit(*this);
            if (Col() != before)
                return;
        }
        if (!d_->options.Contains(dgAlwaysShowEditor))
            HideEditor();
        if (!d_->options.Contains(dgRowSelect))
            SetCol(gridCol);
        if (d_->options.Contains(dgAlwaysShowEditor))
            ShowEditor();
        if (d_->events.OnColEnter)
            d_->events.OnColEnter(*this);
    }
    InvalidateRow(Row());
}

void TCustomDBGridEh::StepRecords(int distance)
{
    bool ranOut = true;
    {
        UpdateLockScope lock(*this);
        const int step = distance > 0 ? 1 : -1;
        while (distance != 0) {
            if (d_->dataLink->MoveBy(step) == 0) {
                ranOut = false;
                break;
            }
            distance -= step;
        }
    }
    // One repaint for the whole walk, at once rather than at the next turn of the loop.
    if (ranOut && d_->updateLock == 0)
        UpdateNow();
}

void TCustomDBGridEh::TabWalk(bool forward)
{
    const int start = Col();
    const int first = IndicatorColumns();
    const int last = ColCount() - 1;
    ClearSelection();
    UpdateLockScope lock(*this);
    int col = start;
    // One full round of the columns at most, whatever column the walk starts from.
    for (int steps = 0; steps <= last - first + 1; ++steps) {
        col += forward ? 1 : -1;
        if (col > last) {
            NextRecord();
            col = first;
        } else if (col < first) {
            PriorRecord();
            col = last;
        }
        if (col == start)
            break;
        if (TabStop(col)) {
            MoveToColumn(col, 0);
            break;
        }
    }
}

}  // namespace qelvor
