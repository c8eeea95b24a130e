// The browse form's grid at 1280 x 800 over 1,000 and over 1,000,000 answer sheets
// (the query dataset over generated SQLite files): a full repaint of the client area,
// and single-record steps through the vertical scroll bar with the repaint each step
// triggers. Prints the times and the ratios the grid is held to:
//   step cost at 1,000,000 rows within 1.2 x the cost at 1,000; full repaint < 5 ms.
//   qelvor-grid-bench [SMALL_ROWS LARGE_ROWS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>

#include "browse/QueryComposition.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "grid/DBGridEh.h"
#include "grid/GridLibrary.h"
#include "platform/FontSubstitution.h"
#include "tools/sample_data/SampleDatabase.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qelvor;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts the paints of the grid's client area, to show that steps repaint.
class PaintCounter : public QObject {
public:
    int paints = 0;
    long long pixels = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                pixels += static_cast<long long>(rect.width()) * rect.height();
        }
        return false;
    }
};

struct Measurement {
    double repaintMs = 0;
    double stepUs = 0;
    double paintsPerStep = 0;
    double pixelsPerStep = 0;
};

QFont DesignFont()
{
    QFont font(kDesignFontSubstitute);
    font.setPixelSize(12);
    return font;
}

void BuildFormColumns(TDBGridEh& grid, TDataSource& source)
{
    grid.BeginLoad();
    grid.SetReadOnly(true);
    grid.SetOptionsEh({dghClearSelection, dghHighlightFocus, dghMultiSortMarking, dghAutoSortMarking, dghFixed3D});
    grid.SetAllowedSelections({gstAll, gstRecordBookmarks});
    grid.ColumnDefValues().Title().SetTitleButton(true);
    grid.SetTitleFont(DesignFont());
    const struct {
        const char* name;
        int width;
    } columns[] = {{"准考证号", 107}, {"报名号", 102}, {"姓名", 0}, {"笔试客观题答案字符串", 300},
                   {"笔试主观题题分字符串", 300}, {"缺考标记", 65}, {"论文题题号", 65}};
    for (const auto& column : columns) {
        TDBGridColumnEh* added = grid.Columns().Add();
        added->SetFieldName(column.name);
        if (column.width > 0)
            added->SetWidth(column.width);
    }
    grid.SetDataSource(&source);
    grid.EndLoad();
}

// One grid over one generated database, shown at 1280 x 800.
class GridSetup {
public:
    explicit GridSetup(long rows)
        : rows_(rows), path_("/tmp/qelvor-grid-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db")
    {
        CreateSampleDatabase(path_, rows, 11);
        connection_.SetConnectionString("Provider=SQLite;Data Source=" + path_);
        source_.SetDataSet(&dataSet_);
        dataSet_.SetConnection(&connection_);
        dataSet_.SetCommandText(ComposeAnswerSheetStatement("", ""));
        host_ = std::make_unique<QWidget>();
        host_->setFont(DesignFont());
        grid_ = new TDBGridEh(host_.get());
        BuildFormColumns(*grid_, source_);
        host_->resize(1280, 800);
        grid_->setGeometry(0, 0, 1280, 800);
        host_->show();
        dataSet_.Open();
        QApplication::processEvents();
        image_ = QImage(grid_->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        grid_->viewport()->installEventFilter(&counter_);
    }
    ~GridSetup()
    {
        grid_->viewport()->removeEventFilter(&counter_);
        host_.reset();
        dataSet_.Close();
        std::remove(path_.c_str());
    }

    long Rows() const { return rows_; }

    // Median time of 20 full repaints, in milliseconds.
    double RepaintMs()
    {
        std::vector<double> times;
        for (int i = 0; i < 20; ++i) {
            const auto start = Clock::now();
            grid_->viewport()->render(&image_);
            times.push_back(Seconds(start));
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2] * 1000;
    }

    // Time of one single-record step (500 down, 500 up) in microseconds.
    double StepUs()
    {
        // Scroll messages reach only a grid that has the focus.
        host_->activateWindow();
        QApplication::processEvents();
        grid_->setFocus();
        QApplication::processEvents();
        if (!grid_->hasFocus())
            std::fprintf(stderr, "the grid over %ld rows did not get the focus\n", rows_);
        // With the current row at the bottom each line step moves exactly one record.
        dataSet_.MoveBy(grid_->VisibleDataRows() - 1 - grid_->DataLink().ActiveRecord());
        counter_.paints = 0;
        counter_.pixels = 0;
        const auto start = Clock::now();
        for (int i = 0; i < 500; ++i)
            grid_->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEDOWN, 0);
        for (int i = 0; i < 500; ++i)
            grid_->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEUP, 0);
        return Seconds(start) / 1000 * 1e6;
    }
    double PaintsPerStep() const { return counter_.paints / 1000.0; }
    double PixelsPerStep() const { return static_cast<double>(counter_.pixels) / 1000.0; }

private:
    long rows_;
    std::string path_;
    TADOConnection connection_{"Connection"};
    TADODataSet dataSet_{"QELV_Set"};
    TDataSource source_{"DataSource1"};
    std::unique_ptr<QWidget> host_;
    TDBGridEh* grid_ = nullptr;
    QImage image_;
    PaintCounter counter_;
};

}  // namespace

int main(int argc, char** argv)
{
    const long small = argc > 2 ? std::atol(argv[1]) : 1000;
    const long large = argc > 2 ? std::atol(argv[2]) : 1000000;
    InitializeGridLibrary();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int status = 0;
    {
        QApplication application(argc, argv);
        InstallFontSubstitutions();
        GridSetup smallGrid(small);
        GridSetup largeGrid(large);
        // Interleaved rounds, best of each, so that load from elsewhere on the machine
        // hits both sizes alike.
        Measurement a{1e9, 1e9, 0, 0};
        Measurement b{1e9, 1e9, 0, 0};
        for (int round = 0; round < 5; ++round) {
            for (auto [setup, m] : {std::pair{&smallGrid, &a}, std::pair{&largeGrid, &b}}) {
                m->repaintMs = std::min(m->repaintMs, setup->RepaintMs());
                m->stepUs = std::min(m->stepUs, setup->StepUs());
                m->paintsPerStep = setup->PaintsPerStep();
                m->pixelsPerStep = setup->PixelsPerStep();
            }
        }
        std::printf("rows        full repaint   step (with repaint)   paints/step   repainted pixels/step\n");
        for (const auto& [rows, m] : {std::pair{small, a}, std::pair{large, b}})
            std::printf("%-10ld  %8.3f ms    %10.1f us         %6.2f        %10.0f\n", rows, m.repaintMs, m.stepUs,
                        m.paintsPerStep, m.pixelsPerStep);
        const double ratio = b.stepUs / a.stepUs;
        std::printf("step cost ratio %ld / %ld rows: %.3f (target <= 1.2)\n", large, small, ratio);
        std::printf("full repaint at %ld rows: %.3f ms (target < 5 ms)\n", large, b.repaintMs);
        if (ratio > 1.2 || b.repaintMs >= 5.0 || a.repaintMs >= 5.0)
            status = 1;
        FinalizeGridLibrary();
    }
    return status;
}
