// The least a one-row scroll of the grid's data area can cost: the pixels of the data
// rows move up by one row pitch with QWidget::scroll, and the uncovered band gets the
// seven texts of one record drawn with QPainter::drawText in the grid's column
// rectangles and font. A widget of the viewport's size, opaque like the viewport, in a
// window of the grid's size, painted through the posted update request as the grid is.
#pragma once

#include <memory>

#include <QFont>
#include <QRect>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include "bench/grid/GridSetup.h"
#include "bench/grid/StepSeries.h"

namespace qelvor::bench {

class RowBandWidget : public QWidget {
public:
    RowBandWidget(QWidget* parent, QVector<QRect> cells, QStringList texts);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<QRect> cells_;
    QStringList texts_;
};

class RowBandFloor {
public:
    // Takes size, font, data area, cells and texts from the grid as it stands now.
    explicit RowBandFloor(GridSetup& grid);
    ~RowBandFloor();

    // Steps of one scroll by a row pitch and the band's repaint.
    StepSeries Series(int steps);

private:
    std::unique_ptr<QWidget> host_;
    RowBandWidget* band_ = nullptr;
    QRect dataRect_;
    int pitch_ = 0;
    PaintCounter counter_;
};

}  // namespace qelvor::bench
