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

Measurement Measure(long rows)
{
    const std::string path = "/tmp/qelvor-grid-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db";
    CreateSampleDatabase(path, rows, 11);
    TADOConnection connection("Connection");
    connection.SetConnectionString("Provider=SQLite;Data Source=" + path);
    TADODataSet dataSet("QELV_Set");
    TDataSource source("DataSource1");
    source.SetDataSet(&dataSet);
    dataSet.SetConnection(&connection);
    dataSet.SetCommandText(ComposeAnswerSheetStatement("", ""));

    Measurement result;
    {
        QWidget host;
        host.setFont(DesignFont());
        auto* grid = new TDBGridEh(&host);
        BuildFormColumns(*grid, source);
        host.resize(1280, 800);
        grid->setGeometry(0, 0, 1280, 800);
        host.show();
        dataSet.Open();
        QApplication::processEvents();

        QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        std::vector<double> repaints;
        for (int i = 0; i < 60; ++i) {
            const auto start = Clock::now();
            grid->viewport()->render(&image);
            repaints.push_back(Seconds(start));
        }
        std::sort(repaints.begin(), repaints.end());
        result.repaintMs = repaints[repaints.size() / 2] * 1000;

        // Put the current row at the bottom, so that each line step moves one record.
        dataSet.MoveBy(grid->VisibleDataRows() - 1);
        PaintCounter counter;
        grid->viewport()->installEventFilter(&counter);
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            counter.paints = 0;
            const auto start = Clock::now();
            for (int i = 0; i < 500; ++i)
                grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEDOWN, 0);
            for (int i = 0; i < 500; ++i)
                grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEUP, 0);
            best = std::min(best, Seconds(start));
            result.paintsPerStep = counter.paints / 1000.0;
            result.pixelsPerStep = counter.pixels / 1000.0;
            counter.pixels = 0;
            // The line-up steps leave the current row at the top; go back to the bottom.
            dataSet.MoveBy(grid->VisibleDataRows() - 1);
        }
        grid->viewport()->removeEventFilter(&counter);
        result.stepUs = best / 1000 * 1e6;
        dataSet.Close();
    }
    std::remove(path.c_str());
    return result;
}

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
        const Measurement a = Measure(small);
        const Measurement b = Measure(large);
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
