// DBGridEhScrolling: the data-aware vertical scroll bar (range and position from the
// dataset, scroll codes moving the dataset), size changes, the left-column reaction
// and scaling of column widths.
#include <algorithm>

#include "grid/InplaceEdit.h"

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::UpdateVertScrollBar()
{
    if (!d_->dataLink || Destroying())
        return;
    const ScrollInfo current = GetScrollInfo(TScrollBarKind::sbVertical);
    ScrollInfo info;
    TDataSet* dataSet = d_->dataLink->DataSet();
    if (!d_->dataLink->Active() || !dataSet) {
        info = {0, 1, 2, 0, 0};
    } else if (dataSet->IsSequenced()) {
        info.min = 1;
        info.page = VisibleDataRows();
        info.max = dataSet->RecordCount() + info.page - 1;
        info.pos = dataSet->State() >= TDataSetState::dsInsert ? current.pos : dataSet->RecNo();
    } else {
        info.min = 0;
        info.page = 0;
        info.max = 4;
        info.pos = dataSet->Bof() ? 0 : dataSet->Eof() ? 4 : 2;
    }
    if (!d_->vertScrollBar.Visible())
        info.max = info.min;
    info.trackPos = info.pos;
    const TScrollBarVisibleModeEh mode = d_->vertScrollBar.VisibleMode();
    const bool changed = info.min != current.min || info.max != current.max || info.page != current.page
                         || info.pos != current.pos || d_->lastVisibleMode != static_cast<int>(mode);
    if (!changed)
        return;
    const bool nothingToScroll = info.NothingToScroll();
    if (mode == sbAlwaysShowEh) {
        EnableScrollBar(TScrollBarKind::sbVertical, !nothingToScroll);
        ShowScrollBar(TScrollBarKind::sbVertical, true);
    } else {
        EnableScrollBar(TScrollBarKind::sbVertical, true);
        ShowScrollBar(TScrollBarKind::sbVertical, !nothingToScroll);
    }
    SetScrollInfo(TScrollBarKind::sbVertical, info);
    d_->lastVisibleMode = static_cast<int>(mode);
}

void TCustomDBGridEh::VertScroll(TScrollCode code, int pos)
{
    // The focus widget, not hasFocus(): the first click into a window still being
    // activated must scroll too.
    if (isVisible() && focusPolicy() != Qt::NoFocus && isEnabled() && !TakeFocus(Qt::OtherFocusReason))
        return;
    if (!d_->dataLink->Active())
        return;
    TDataSet* dataSet = d_->dataLink->DataSet();
    switch (code) {
    case TScrollCode::SB_LINEUP:
        d_->dataLink->MoveBy(-(d_->dataLink->ActiveRecord() + 1));
        break;
    case TScrollCode::SB_LINEDOWN:
        d_->dataLink->MoveBy(d_->dataLink->RecordCount() - d_->dataLink->ActiveRecord());
        break;
    case TScrollCode::SB_PAGEUP:
        d_->dataLink->MoveBy(-VisibleDataRows());
        break;
    case TScrollCode::SB_PAGEDOWN:
        d_->dataLink->MoveBy(VisibleDataRows());
        break;
    case TScrollCode::SB_THUMBPOSITION:
        if (d_->thumbTracked) {
            d_->thumbTracked = false;
        } else if (dataSet->IsSequenced()) {
            if (pos <= 1)
                dataSet->First();
            else if (pos >= dataSet->RecordCount())
                dataSet->Last();
            else
                dataSet->SetRecNo(pos);
        } else {
            switch (pos) {
            case 0: dataSet->First(); break;
            case 1: d_->dataLink->MoveBy(-VisibleDataRows()); break;
            case 3: d_->dataLink->MoveBy(VisibleDataRows()); break;
            case 4: dataSet->Last(); break;
            default: break;
            }
        }
        break;
    case TScrollCode::SB_THUMBTRACK:
        if (d_->vertScrollBar.Tracking()) {
            d_->dataLink->MoveBy(pos - dataSet->RecNo());
            d_->thumbTracked = true;
        }
        break;
    case TScrollCode::SB_TOP:
        dataSet->First();
        break;
    case TScrollCode::SB_BOTTOM:
        dataSet->Last();
        break;
    default:
        break;
    }
}

void TCustomDBGridEh::ClientResized()
{
    if (Destroying())
        return;
    TCustomGrid::ClientResized();
    if (d_->updateLock == 0) {
        UpdateRowCount();
        UpdateVertScrollBar();
    }
}

void TCustomDBGridEh::TopLeftChanged()
{
    const bool atFirst = LeftCol() == FixedCols();
    if (atFirst != d_->atFirstScrollableColumn) {
        for (int row = 0; row < d_->titleRows; ++row)
            InvalidateRow(row);
        d_->atFirstScrollableColumn = atFirst;
    }
    InvalidateEditor();
}

void TCustomDBGridEh::ChangeScale(int m, int d)
{
    if (m == d || d == 0)
        return;
    auto scaled = [&](QFont font) {
        if (font.pixelSize() > 0)
            font.setPixelSize(MulDiv(font.pixelSize(), m, d));
        else if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * m / d);
        return font;
    };
    if (!d_->parentFont) {
        d_->titleFont = scaled(font());
        d_->footerFont = scaled(d_->footerFont);
    }
    d_->columns->BeginUpdate();
    const ScopeExit endUpdate([this] { d_->columns->EndUpdate(); });
    int unscaledSum = 0;
    int scaledSum = 0;
    for (int i = 0; i < d_->columns->Count(); ++i) {
        TColumnEh* column = d_->columns->Items(i);
        if (column->IsFontStored())
            column->SetFont(scaled(column->Font()));
        if (column->Title()->IsFontStored())
            column->Title()->SetFont(scaled(column->Title()->Font()));
        if (column->ExplicitValues().Contains(cvWidth)) {
            unscaledSum += column->Width();
            const int width = MulDiv(unscaledSum, m, d) - scaledSum;
            scaledSum += width;
            column->SetWidth(width);
        }
    }
}

}  // namespace qelvor
