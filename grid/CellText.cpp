// CellText: placement, clipping and shortening of cell texts.
#include "grid/CellText.h"

#include <QPainter>

#include "platform/DesignFont.h"

namespace qelvor {

QString ShortenToFit(const QString& text, const QFontMetrics& metrics, int maxWidth)
{
    if (metrics.horizontalAdvance(text) <= maxWidth)
        return text;
    const QString ellipsis = QStringLiteral("...");
    // Candidate heads end at character boundaries, longest first.
    int end = text.size();
    auto previousBoundary = [&](int position) {
        --position;
        if (position > 0 && text.at(position).isLowSurrogate() && text.at(position - 1).isHighSurrogate())
            --position;
        return position;
    };
    end = previousBoundary(end);
    while (end > 0) {
        const QString candidate = text.left(end) + ellipsis;
        if (metrics.horizontalAdvance(candidate) <= maxWidth)
            return candidate;
        end = previousBoundary(end);
    }
    return ellipsis;
}

void WriteCellText(QPainter& painter, const QRect& rect, int dx, int dy, TAlignment alignment,
                   bool endEllipsis, bool wordWrap, const QString& text, const QColor& background,
                   const QColor& textColor, bool clippedToColumn)
{
    painter.fillRect(rect, background);
    if (text.isEmpty() || rect.isEmpty())
        return;
    painter.setPen(textColor);
    if (wordWrap) {
        int flags = Qt::TextWordWrap | Qt::AlignTop;
        flags |= alignment == TAlignment::taRightJustify ? Qt::AlignRight
                 : alignment == TAlignment::taCenter     ? Qt::AlignHCenter
                                                         : Qt::AlignLeft;
        const QRect inner = rect.adjusted(dx, dy, -dx, -dy);
        painter.save();
        painter.setClipRect(rect);
        painter.drawText(inner, flags, text);
        painter.restore();
        return;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    // The line as the layout measured it: the design font's own for the design font.
    const int lineHeight = TextLineHeight(painter.font());
    const int baseline = TextAscent(painter.font());
    const int top = rect.top() + dy;
    if (clippedToColumn && alignment == TAlignment::taLeftJustify && !endEllipsis
        && top + lineHeight <= rect.top() + rect.height()) {
        painter.drawText(rect.left() + dx, top + baseline, text);
        return;
    }
    const QString shown = endEllipsis ? ShortenToFit(text, metrics, rect.width() - dx) : text;
    const int width = metrics.horizontalAdvance(shown);
    int x = rect.left() + dx;
    if (alignment == TAlignment::taRightJustify)
        x = rect.left() + rect.width() - width - 3;
    else if (alignment == TAlignment::taCenter)
        x = rect.left() + rect.width() / 2 - width / 2;
    const bool fits = x >= rect.left() && x + width <= rect.left() + rect.width()
                      && top + lineHeight <= rect.top() + rect.height();
    if (fits) {
        painter.drawText(x, top + baseline, shown);
        return;
    }
    painter.save();
    painter.setClipRect(rect);
    painter.drawText(x, top + baseline, shown);
    painter.restore();
}

}  // namespace qelvor
