#include "bench/grid/RowBandFloor.h"

#include <utility>

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

namespace qelvor::bench {

RowBandWidget::RowBandWidget(QWidget* parent, QVector<QRect> cells, QStringList texts)
    : QWidget(parent), cells_(std::move(cells)), texts_(std::move(texts))
{
    // As the grid's viewport: every paint covers what it is asked to paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void RowBandWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().base());
    painter.setPen(palette().text().color());
    for (qsizetype i = 0; i < cells_.size() && i < texts_.size(); ++i)
        painter.drawText(cells_[i].adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop, texts_[i]);
}

RowBandFloor::RowBandFloor(GridSetup& grid)
{
    QWidget* viewport = grid.Grid().viewport();
    host_ = std::make_unique<QWidget>();
    host_->setFont(DesignFont());
    host_->resize(grid.Grid().window()->size());
    dataRect_ = grid.DataRect();
    pitch_ = grid.Grid().DataRowPitch();
    // The texts go where a one-row scroll uncovers the data area: its last pitch.
    QVector<QRect> cells = grid.BottomRowCells();
    for (QRect& cell : cells)
        cell.moveTop(dataRect_.bottom() + 1 - pitch_);
    band_ = new RowBandWidget(host_.get(), cells, grid.CurrentRecordTexts());
    band_->setGeometry(QRect(viewport->mapTo(viewport->window(), QPoint(0, 0)), viewport->size()));
    band_->setFont(grid.Grid().font());
    band_->setPalette(viewport->palette());
    host_->show();
    QApplication::processEvents();
    band_->installEventFilter(&counter_);
}

RowBandFloor::~RowBandFloor()
{
    band_->removeEventFilter(&counter_);
}

StepSeries RowBandFloor::Series(int steps)
{
    const auto prepare = [this](int) { QApplication::sendPostedEvents(host_.get(), QEvent::UpdateRequest); };
    const auto step = [this](int) {
        band_->scroll(0, -pitch_, dataRect_);
        QApplication::sendPostedEvents(host_.get(), QEvent::UpdateRequest);
    };
    return {steps, prepare, step, &counter_};
}

}  // namespace qelvor::bench
