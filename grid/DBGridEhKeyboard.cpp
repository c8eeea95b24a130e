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

void TCustomDBGridEh::KeyDown(TVirtualKey& key, TShiftState shift)
{
    key = DoKeyDown(key, shift);
    if (!d_->dataLink->Active() || key == vk::None)
        return;
    if (shift.Contains(ssCtrl))
        CtrlKey(key);
    else
        PlainKey(key, shift);
}

void TCustomDBGridEh::PlainKey(TVirtualKey key, TShiftState shift)
{
    TDataSet* dataSet = d_->dataLink->DataSet();
    switch (key) {
    case vk::Up: PriorRecord(); break;
    case vk::Down: NextRecord(); break;
    case vk::Left:
        ClearSelection();
        MoveToColumn(Col() - 1, -1);
        break;
    case vk::Right:
        ClearSelection();
        MoveToColumn(Col() + 1, +1);
        break;
    case vk::Home:
        if (HasSeveralDataColumns()) {
            MoveToColumn(IndicatorColumns(), +1);
        } else {
            ClearSelection();
            dataSet->First();
        }
        break;
    case vk::End:
        if (HasSeveralDataColumns()) {
            MoveToColumn(ColCount() - 1, -1);
        } else {
            ClearSelection();
            dataSet->Last();
        }
        break;
    case vk::Prior:
        ClearSelection();
        d_->dataLink->MoveBy(-VisibleDataRows());
        break;
    case vk::Next:
        ClearSelection();
        d_->dataLink->MoveBy(VisibleDataRows());
        break;
    case vk::Tab:
        if (!shift.Contains(ssAlt))
            TabWalk(!shift.Contains(ssShift));
        break;
    case vk::Escape: EscapeKey(); break;
    case vk::F2:
        ShowEditor();
        if (EditorMode() && InplaceEditor() && InplaceEditor()->isVisible())
            InplaceEditor()->CaretToEnd();
        break;
    default: break;
    }
}

void TCustomDBGridEh::CtrlKey(TVirtualKey key)
{
    TDataSet* dataSet = d_->dataLink->DataSet();
    switch (key) {
    case vk::Up:
    case vk::Prior:
        ClearSelection();
        d_->dataLink->MoveBy(-d_->dataLink->ActiveRecord());
        break;
    case vk::Down:
    case vk::Next:
        ClearSelection();
        d_->dataLink->MoveBy(d_->dataLink->RecordCount() - d_->dataLink->ActiveRecord() - 1);
        break;
    case vk::Home:
        ClearSelection();
        dataSet->First();
        break;
    case vk::End:
        ClearSelection();
        dataSet->Last();
        break;
    case vk::Left: MoveToColumn(IndicatorColumns(), +1); break;
    case vk::Right: MoveToColumn(ColCount() - 1, -1); break;
    default: break;  // clipboard and select-all need edit actions the grid does not offer
    }
}

void TCustomDBGridEh::EscapeKey()
{
    d_->dataLink->Reset();
    ClearSelection();
    if (!d_->options.Contains(dgAlwaysShowEditor))
        HideEditor();
    if (Dragging())
        CancelMode();
}

void TCustomDBGridEh::KeyPress(char32_t& key)
{
    if (key == U'\r' && !d_->options.Contains(dgAlwaysShowEditor))
        CommitEditorText();
    TCustomGrid::KeyPress(key);
}

void TCustomDBGridEh::KeyUp(TVirtualKey& key, TShiftState shift)
{
    if (key == vk::Control && d_->sortMarking->TakeChangePending())
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
