// The browse form's grid over one generated answer-sheet database, shown at 1280 x 800,
// and the measurements the grid benchmark takes on it. Input steps go through real Qt
// events and include the repaint each causes; paints of the client area are counted
// so that the benchmark can show that every step painted.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QStringList>
#include <QVector>

#include "bench/grid/StepSeries.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "grid/DBGridEh.h"
#include "platform/LongWorkWindow.h"

class QWidget;

namespace qelvor::bench {

QFont DesignFont();

// How many steps each input series takes (the same on every size, so that the sizes
// compare like with like).
struct StepCounts {
    int lines = 200;    // Down keys; wheel notches each way
    int pages = 10;     // PgDn, then as many PgUp
    int pageWalks = 3;  // times the pages are walked down and back
};

// A title-click sort: from Ctrl's release to the repainted rows, and the SetSort the
// handler made in between.
struct TitleSortTiming {
    double totalMs = 1e18;
    double handlerSortMs = 0;
};

class GridSetup {
public:
    // A generated database of `rows` sheets (removed afterwards), or the existing SQLite
    // file `database` (kept; its row count is then what the statement returns).
    explicit GridSetup(long rows, const std::string& database = {});
    ~GridSetup();
    GridSetup(const GridSetup&) = delete;
    GridSetup& operator=(const GridSetup&) = delete;

    long Rows() const { return rows_; }
    TDBGridEh& Grid() { return *grid_; }

    // Median of 20 full repaints of the client area, in milliseconds.
    double RepaintMs();
    // 500 SB_LINEDOWN then 500 SB_LINEUP scroll messages with the current row at the
    // bottom: the mean step.
    StepTiming ScrollBarStep();

    // Down keys with the current record on the bottom data row: each scrolls one row.
    StepSeries DownKeySeries(const StepCounts& counts);
    // PgDn keys from the bottom data row, then as many PgUp keys back, a few times.
    StepSeries PageKeySeries(const StepCounts& counts);
    // Wheel notches down with the current row at the bottom, then up with it at the
    // top: every notch scrolls one row.
    StepSeries WheelSeries(const StepCounts& counts);

    // A plain click on the 准考证号 title, a Ctrl+click on the 姓名 title, and the Ctrl
    // release that re-sorts: milliseconds from the release to the repainted rows.
    TitleSortTiming TitleSortMs();
    // The dataset's own SetSort for the sort string the title clicks make, from the same
    // starting order; the grid's repaint is left out.
    double DataSetSortMs();
    // Makes the collation keys of the sorted columns, so that no measured sort builds them.
    void WarmSortKeys();
    // The sort string the title clicks of TitleSortMs produce.
    static std::string ExpectedSortText();

    // The data area that scrolls on a record step (all data rows, no title, no filler).
    QRect DataRect() const;
    // The cell rectangles of the bottom data row and the texts the current record shows there.
    QVector<QRect> BottomRowCells() const;
    QStringList CurrentRecordTexts();

private:
    void FocusGrid();
    // The first records in the window; the current one on data row `row` of it.
    void PlaceCurrent(int row);
    // Paints what is pending.
    void Flush();
    // Paints what is pending and starts counting afresh.
    void Settle();
    // Key presses and wheel turns, each followed by the repaint it asked for.
    void KeyStep(int key);
    void WheelStep(QPointF position, int direction);
    // Focus on the grid; at the start the current record on the bottom data row.
    std::function<void(int)> PrepareFromBottomRow();
    void ClearSortMarking();
    QPoint TitleCentre(const char* fieldName) const;
    void SortMarkingChanged();

    long rows_;
    std::string path_;
    bool generated_;
    TLongWorkWindowScope longWork_;  // opens and sorts wait as the browse window's do
    TADOConnection connection_{"Connection"};
    TADODataSet dataSet_{"QELV_Set"};
    TDataSource source_{"DataSource1"};
    std::unique_ptr<QWidget> host_;
    TDBGridEh* grid_ = nullptr;
    QImage image_;
    PaintCounter counter_;
    double handlerSortMs_ = 0;
};

}  // namespace qelvor::bench
