// CustomGridScroll: the one place where Qt scroll bars meet the grid's scroll terms
// (ScrollInfo, scroll codes), and the generic grid's horizontal scrolling by columns.
//
// Windows range semantics: positions run from min to max - max(page - 1, 0); Qt's
// maximum is that last position and its pageStep the page. The bars do not track:
// thumb drags arrive as SB_THUMBTRACK (sliderMoved) and SB_THUMBPOSITION (release).
#include <algorithm>
#include <cmath>

#include <QScrollBar>

#include "grid/CustomGrid.h"
#include "grid/CustomGridPrivate.h"
#include "platform/ExceptionDispatch.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

namespace {

// The scroll code of a Qt slider action, or SB_ENDSCROLL for actions handled elsewhere.
TScrollCode ScrollCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return TScrollCode::SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd: return TScrollCode::SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub: return TScrollCode::SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd: return TScrollCode::SB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum: return TScrollCode::SB_TOP;
    case QAbstractSlider::SliderToMaximum: return TScrollCode::SB_BOTTOM;
    default: return TScrollCode::SB_ENDSCROLL;
    }
}

}  // namespace

int TCustomGrid::MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

QScrollBar* TCustomGrid::Bar(TScrollBarKind kind) const
{
    return kind == TScrollBarKind::sbVertical ? verticalScrollBar() : horizontalScrollBar();
}

ScrollInfo& TCustomGrid::Info(TScrollBarKind kind)
{
    return kind == TScrollBarKind::sbVertical ? d_->vertInfo : d_->horzInfo;
}

void TCustomGrid::ConnectScrollBar(TScrollBarKind kind)
{
    QScrollBar* bar = Bar(kind);
    bar->setTracking(false);
    bar->setSingleStep(1);
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, kind](int action) { OnScrollAction(kind, action); });
    connect(bar, &QAbstractSlider::sliderMoved, this, [this, kind](int position) {
        if (!d_->applyingScrollInfo)
            GuardedCall([&] { ScrollMessage(kind, TScrollCode::SB_THUMBTRACK, position); });
    });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, kind] { OnScrollReleased(kind); });
}

void TCustomGrid::OnScrollAction(TScrollBarKind kind, int action)
{
    if (d_->applyingScrollInfo)
        return;
    const TScrollCode code = ScrollCodeOf(action);
    if (code == TScrollCode::SB_ENDSCROLL) {
        // Moves the grid did not ask for (a wheel turn on the bar) are taken back.
        if (action == QAbstractSlider::SliderMove && !Bar(kind)->isSliderDown()) {
            const ScopedFlag applying(d_->applyingScrollInfo);
            Bar(kind)->setSliderPosition(Info(kind).pos);
        }
        return;
    }
    GuardedCall([&] { ScrollMessage(kind, code, Bar(kind)->sliderPosition()); });
    // Qt moved the slider before telling us; the position is what the grid decided.
    const ScopedFlag applying(d_->applyingScrollInfo);
    Bar(kind)->setSliderPosition(Info(kind).pos);
}

void TCustomGrid::OnScrollReleased(TScrollBarKind kind)
{
    if (d_->applyingScrollInfo)
        return;
    const int position = Bar(kind)->sliderPosition();
    GuardedCall([&] {
        ScrollMessage(kind, TScrollCode::SB_THUMBPOSITION, position);
        ScrollMessage(kind, TScrollCode::SB_ENDSCROLL, position);
    });
    const ScopedFlag applying(d_->applyingScrollInfo);
    Bar(kind)->setSliderPosition(Info(kind).pos);
    Bar(kind)->setValue(Info(kind).pos);
}

ScrollInfo TCustomGrid::GetScrollInfo(TScrollBarKind kind) const
{
    ScrollInfo info = kind == TScrollBarKind::sbVertical ? d_->vertInfo : d_->horzInfo;
    info.trackPos = Bar(kind)->isSliderDown() ? Bar(kind)->sliderPosition() : info.pos;
    return info;
}

void TCustomGrid::SetScrollInfo(TScrollBarKind kind, const ScrollInfo& info)
{
    ScrollInfo& stored = Info(kind);
    stored = info;
    stored.trackPos = info.pos;
    QScrollBar* bar = Bar(kind);
    const int lastPos = std::max(info.min, info.max - std::max(info.page - 1, 0));
    const ScopedFlag applying(d_->applyingScrollInfo);
    bar->setRange(info.min, lastPos);
    bar->setPageStep(std::max(info.page, 0));
    bar->setValue(std::clamp(info.pos, info.min, lastPos));
}

void TCustomGrid::ShowScrollBar(TScrollBarKind kind, bool show)
{
    const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (kind == TScrollBarKind::sbVertical) {
        if (verticalScrollBarPolicy() != policy)
            setVerticalScrollBarPolicy(policy);
    } else if (horizontalScrollBarPolicy() != policy) {
        setHorizontalScrollBarPolicy(policy);
    }
}

bool TCustomGrid::ScrollBarShowing(TScrollBarKind kind) const
{
    return (kind == TScrollBarKind::sbVertical ? verticalScrollBarPolicy() : horizontalScrollBarPolicy())
           == Qt::ScrollBarAlwaysOn;
}

void TCustomGrid::EnableScrollBar(TScrollBarKind kind, bool enable)
{
    Bar(kind)->setEnabled(enable);
}

void TCustomGrid::ScrollMessage(TScrollBarKind kind, TScrollCode code, int pos)
{
    if (kind == TScrollBarKind::sbVertical)
        VertScroll(code, pos);
    else
        HorzScroll(code, pos);
}

void TCustomGrid::VertScroll(TScrollCode, int)
{
    // The generic base scrolls columns only; row scrolling belongs to descendants.
}

void TCustomGrid::ApplyScrollPolicy()
{
    if (d_->scrollBars == ssNone || d_->scrollBars == ssVertical)
        ShowScrollBar(TScrollBarKind::sbHorizontal, false);
}

// --- horizontal scrolling by columns ---

void TCustomGrid::UpdateScrollRange()
{
    if (d_->scrollBars != ssHorizontal && d_->scrollBars != ssBoth) {
        ShowScrollBar(TScrollBarKind::sbHorizontal, false);
        return;
    }
    const int maxLeft = MaxLeftCol();
    ScrollInfo info = d_->horzInfo;
    info.min = 0;
    info.max = maxLeft > d_->fixedCols ? 127 : 0;
    info.page = 0;
    d_->horzInfo = info;
    ShowScrollBar(TScrollBarKind::sbHorizontal, info.max > info.min);
    if (d_->leftCol > MaxLeftCol()) {
        InvalidateGrid();
        MoveLeftCol(std::max(d_->fixedCols, MaxLeftCol()));
    }
    UpdateScrollPos();
}

void TCustomGrid::UpdateScrollPos()
{
    if (d_->scrollBars != ssHorizontal && d_->scrollBars != ssBoth)
        return;
    ScrollInfo info = d_->horzInfo;
    const int maxLeft = MaxLeftCol();
    info.pos = maxLeft > d_->fixedCols ? MulDiv(d_->leftCol - d_->fixedCols, 127, maxLeft - d_->fixedCols) : 0;
    SetScrollInfo(TScrollBarKind::sbHorizontal, info);
}

void TCustomGrid::HorzScroll(TScrollCode code, int pos)
{
    if (isVisible() && focusPolicy() != Qt::NoFocus)
        TakeFocus(Qt::OtherFocusReason);
    if (code == TScrollCode::SB_THUMBTRACK) {
        if (!d_->gridOptions.Contains(goThumbTracking))
            return;
        code = TScrollCode::SB_THUMBPOSITION;
    }
    const int maxLeft = std::max(d_->fixedCols, MaxLeftCol());
    auto skipHidden = [&](int col, int step) {
        while (col > d_->fixedCols && col < maxLeft && ColWidths(col) <= 0)
            col += step;
        return col;
    };
    int newLeft = d_->leftCol;
    switch (code) {
    case TScrollCode::SB_LINEUP: newLeft = skipHidden(d_->leftCol - 1, -1); break;
    case TScrollCode::SB_LINEDOWN: newLeft = skipHidden(d_->leftCol + 1, 1); break;
    case TScrollCode::SB_PAGEUP: {
        const TGridDrawInfo info = CalcDrawInfo();
        newLeft = d_->leftCol - std::max(1, d_->leftCol - CalcMaxCell(info.Horz, d_->leftCol));
        break;
    }
    case TScrollCode::SB_PAGEDOWN: {
        const TGridDrawInfo info = CalcDrawInfo();
        newLeft = d_->leftCol + std::max(1, info.Horz.LastFullVisibleCell - d_->leftCol);
        break;
    }
    case TScrollCode::SB_THUMBPOSITION: newLeft = d_->fixedCols + MulDiv(pos, maxLeft - d_->fixedCols, 127); break;
    case TScrollCode::SB_TOP: newLeft = d_->fixedCols; break;
    case TScrollCode::SB_BOTTOM: newLeft = maxLeft; break;
    default: return;
    }
    MoveLeftCol(std::clamp(newLeft, d_->fixedCols, maxLeft));
}

void TCustomGrid::MoveLeftCol(int newLeftCol)
{
    if (newLeftCol == d_->leftCol)
        return;
    const TGridDrawInfo before = CalcDrawInfo();
    const int oldLeft = d_->leftCol;
    d_->leftCol = newLeftCol;
    UpdateScrollPos();
    int shift = 0;
    for (int col = std::min(oldLeft, newLeftCol); col < std::max(oldLeft, newLeftCol); ++col)
        shift += ColWidths(col) + before.Horz.EffectiveLineWidth;
    const int scrollable = before.Horz.GridExtent - before.Horz.FixedBoundary;
    if (shift > scrollable) {
        InvalidateGrid();
    } else {
        const QRect area(before.Horz.FixedBoundary, 0, scrollable, ClientHeight());
        ScrollClientRect(newLeftCol > oldLeft ? -shift : shift, 0, area);
    }
    TopLeftChanged();
}

void TCustomGrid::ScrollClientRect(int dx, int dy, const QRect& rect)
{
    if (rect.isEmpty())
        return;
    viewport()->scroll(dx, dy, rect);
}

}  // namespace qelvor
