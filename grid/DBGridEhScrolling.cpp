// DBGridEhScrolling: the data-aware vertical scroll bar (range and position from the
// dataset, scroll codes moving the dataset), size changes, the left-column reaction
// and scaling of column widths.
#include <algorithm>

#include "grid/InplaceEdit.h"

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TCustomDBGridEh::UpdateVertScrollBar()
{
    if (!dataLink_ || Destroying())
        return;
    const ScrollInfo current = GetScrollInfo(TScrollBarKind::sbVertical);
    ScrollInfo info;
    TDataSet* dataSet = dataLink_->DataSet();
    if (!dataLink_->Active() || !dataSet) {
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
    if (!vertScrollBar_.Visible())
        info.max = info.min;
    info.trackPos = info.pos;
    const TScrollBarVisibleModeEh mode = vertScrollBar_.VisibleMode();
    const bool changed = info.min != current.min || info.max != current.max || info.page != current.page
                         || info.pos != current.pos || lastVisibleMode_ != static_cast<int>(mode);
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
    lastVisibleMode_ = static_cast<int>(mode);
}

void TCustomDBGridEh::VertScroll(TScrollCode code, int pos)
{
    // The focus widget, not hasFocus(): the first click into a window still being
    // activated must scroll too.
    if (isVisible() && focusPolicy() != Qt::NoFocus && isEnabled() && !TakeFocus(Qt::OtherFocusReason))
        return;
    if (!dataLink_->Active())
        return;
    TDataSet* dataSet = dataLink_->DataSet();
    switch (code) {
    case TScrollCode::SB_LINEUP:
        dataLink_->MoveBy(-(dataLink_->ActiveRecord() + 1));
        break;
    case TScrollCode::SB_LINEDOWN:
        dataLink_->MoveBy(dataLink_->RecordCount() - dataLink_->ActiveRecord());
        break;
    case TScrollCode::SB_PAGEUP:
        dataLink_->MoveBy(-VisibleDataRows());
        break;
    case TScrollCode::SB_PAGEDOWN:
        dataLink_->MoveBy(VisibleDataRows());
        break;
    case TScrollCode::SB_THUMBPOSITION:
        if (thumbTracked_) {
            thumbTracked_ = false;
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
            case 1: dataLink_->MoveBy(-VisibleDataRows()); break;
            case 3: dataLink_->MoveBy(VisibleDataRows()); break;
            case 4: dataSet->Last(); break;
            default: break;
            }
        }
        break;
    case TScrollCode::SB_THUMBTRACK:
        if (vertScrollBar_.Tracking()) {
            dataLink_->MoveBy(pos - dataSet->RecNo());
            thumbTracked_ = true;
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
    if (updateLock_ == 0) {
        UpdateRowCount();
        UpdateVertScrollBar();
    }
}

void TCustomDBGridEh::TopLeftChanged()
{
    const bool atFirst = LeftCol() == FixedCols();
    if (atFirst != atFirstScrollableColumn_) {
        for (int row = 0; row < titleRows_; ++row)
            InvalidateRow(row);
        atFirstScrollableColumn_ = atFirst;
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
    if (!parentFont_) {
        titleFont_ = scaled(font());
        footerFont_ = scaled(footerFont_);
    }
    columns_->BeginUpdate();
    const ScopeExit endUpdate([this] { columns_->EndUpdate(); });
    int unscaledSum = 0;
    int scaledSum = 0;
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnEh* column = columns_->Items(i);
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
