#include "bench/grid/GridSetup.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include "browse/BrowseGridDesign.h"
#include "data/QueryComposition.h"
#include "platform/FontSubstitution.h"
#include "platform/Screen.h"
#include "sampledata/SampleDatabase.h"

namespace qelvor::bench {

namespace {

// The two titles the sort measurement clicks, plain then with Ctrl.
constexpr const char* kFirstSortField = "准考证号";
constexpr const char* kSecondSortField = "姓名";

void SendKey(QWidget* target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

}  // namespace

QFont DesignFont()
{
    QFont font(kDesignFontSubstitute);
    font.setPixelSize(12);
    return font;
}

GridSetup::GridSetup(long rows, const std::string& database)
    : rows_(rows),
      path_(database.empty() ? "/tmp/qelvor-grid-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"
                             : database),
      generated_(database.empty())
{
    if (generated_)
        CreateSampleDatabase(path_, rows, 11);
    connection_.SetConnectionString("Provider=SQLite;Data Source=" + path_);
    source_.SetDataSet(&dataSet_);
    dataSet_.SetConnection(&connection_);
    dataSet_.SetCommandText(ComposeAnswerSheetStatement("", ""));
    host_ = std::make_unique<QWidget>();
    host_->setFont(DesignFont());
    grid_ = new TDBGridEh(host_.get());
    ApplyBrowseGridDesign(*grid_, &source_, DesignFont());
    grid_->Events().OnSortMarkingChanged = [this](TCustomDBGridEh&) { SortMarkingChanged(); };
    host_->resize(1280, 800);
    grid_->setGeometry(0, 0, 1280, 800);
    host_->show();
    dataSet_.Open();
    rows_ = dataSet_.RecordCount();
    QApplication::processEvents();
    image_ = QImage(grid_->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    grid_->viewport()->installEventFilter(&counter_);
}

GridSetup::~GridSetup()
{
    grid_->viewport()->removeEventFilter(&counter_);
    host_.reset();
    dataSet_.Close();
    if (generated_)
        std::remove(path_.c_str());
}

// As the browse form's handler: the marked columns in priority order become the sort string.
void GridSetup::SortMarkingChanged()
{
    const THourGlass hourGlass;
    std::vector<SortItem> marked;
    for (const TColumnEh* column : grid_->SortMarkedColumnList())
        marked.push_back({column->FieldName(), static_cast<SortMarker>(column->Title()->SortMarker())});
    const auto start = Clock::now();
    dataSet_.SetSort(ComposeSortString(marked));
    handlerSortMs_ = Seconds(start) * 1000;
}

void GridSetup::FocusGrid()
{
    // Scroll messages reach only a grid that has the focus; keys are sent to it directly.
    host_->activateWindow();
    QApplication::processEvents();
    grid_->setFocus();
    QApplication::processEvents();
    if (!grid_->hasFocus())
        std::fprintf(stderr, "the grid over %ld rows did not get the focus\n", rows_);
}

void GridSetup::PlaceCurrent(int row)
{
    dataSet_.First();
    dataSet_.MoveBy(row);
    Flush();
}

void GridSetup::Flush()
{
    QApplication::sendPostedEvents(grid_->window(), QEvent::UpdateRequest);
}

void GridSetup::Settle()
{
    Flush();
    counter_.Reset();
}

double GridSetup::RepaintMs()
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

StepTiming GridSetup::ScrollBarStep()
{
    FocusGrid();
    // With the current row at the bottom each line step moves exactly one record.
    PlaceCurrent(grid_->VisibleDataRows() - 1);
    counter_.Reset();
    const auto start = Clock::now();
    for (int i = 0; i < 500; ++i)
        grid_->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEDOWN, 0);
    for (int i = 0; i < 500; ++i)
        grid_->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEUP, 0);
    return {Seconds(start) / 1000 * 1e6, counter_.paints / 1000.0, counter_.pixels / 1000.0};
}

void GridSetup::KeyStep(int key)
{
    SendKey(grid_, key);
    QApplication::sendPostedEvents(grid_->window(), QEvent::UpdateRequest);
}

void GridSetup::WheelStep(QPointF position, int direction)
{
    QWidget* viewport = grid_->viewport();
    QWheelEvent wheel(position, viewport->mapToGlobal(position), QPoint(), QPoint(0, -120 * direction), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    QApplication::sendPostedEvents(grid_->window(), QEvent::UpdateRequest);
}

std::function<void(int)> GridSetup::PrepareFromBottomRow()
{
    // Between chunks the other series take the focus; it comes back before the next one.
    return [this](int first) {
        FocusGrid();
        if (first == 0)
            PlaceCurrent(grid_->VisibleDataRows() - 1);
        Flush();
    };
}

StepSeries GridSetup::DownKeySeries(const StepCounts& counts)
{
    return {counts.lines, PrepareFromBottomRow(), [this](int) { KeyStep(Qt::Key_Down); }, &counter_};
}

StepSeries GridSetup::PageKeySeries(const StepCounts& counts)
{
    // Few page steps fit into the smaller set: the walk down and back is repeated.
    const int pages = counts.pages;
    const auto step = [this, pages](int index) {
        KeyStep((index / pages) % 2 == 0 ? Qt::Key_PageDown : Qt::Key_PageUp);
    };
    return {2 * pages * counts.pageWalks, PrepareFromBottomRow(), step, &counter_};
}

StepSeries GridSetup::WheelSeries(const StepCounts& counts)
{
    const int lines = counts.lines;
    const auto prepare = [this, lines](int first) {
        FocusGrid();
        const int lastRow = grid_->VisibleDataRows() - 1;
        if (first == 0)
            PlaceCurrent(lastRow);
        else if (first == lines)
            dataSet_.MoveBy(-lastRow);  // to the top row, so that the notches up scroll too
        Flush();
    };
    const QPointF position = QRectF(DataRect()).center();
    const auto step = [this, lines, position](int index) { WheelStep(position, index < lines ? +1 : -1); };
    return {2 * lines, prepare, step, &counter_};
}

std::string GridSetup::ExpectedSortText()
{
    // A plain click marks its column down, a Ctrl+click adds the other one marked down.
    return ComposeSortString({{kFirstSortField, SortMarker::smDown}, {kSecondSortField, SortMarker::smDown}});
}

void GridSetup::ClearSortMarking()
{
    for (int i = 0; i < grid_->Columns().Count(); ++i)
        grid_->Columns().Items(i)->Title()->SetSortMarker(smNoneEh);
    dataSet_.SetSort("");
    Settle();
}

QPoint GridSetup::TitleCentre(const char* fieldName) const
{
    for (int i = 0; i < grid_->Columns().Count(); ++i) {
        if (grid_->Columns().Items(i)->FieldName() == fieldName)
            return grid_->CellRect(grid_->ToGridColumn(i), 0).center();
    }
    std::fprintf(stderr, "no column %s\n", fieldName);
    return {};
}

void GridSetup::WarmSortKeys()
{
    // The record set keeps each column's collation keys after its first sort; both
    // measured paths then only sort, so their times compare.
    dataSet_.SetSort(ExpectedSortText());
    ClearSortMarking();
}

TitleSortTiming GridSetup::TitleSortMs()
{
    FocusGrid();
    ClearSortMarking();
    QWidget* viewport = grid_->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, TitleCentre(kFirstSortField));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, TitleCentre(kSecondSortField));
    Settle();
    if (!grid_->SortMarkingChangePending())
        std::fprintf(stderr, "the Ctrl+click left no sort change waiting for Ctrl's release\n");
    handlerSortMs_ = 0;
    const auto start = Clock::now();
    QTest::keyRelease(grid_, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendPostedEvents(grid_->window(), QEvent::UpdateRequest);
    const double seconds = Seconds(start);
    if (dataSet_.Sort() != ExpectedSortText() || counter_.paints == 0)
        std::fprintf(stderr, "the title clicks sorted by \"%s\" with %d paints\n", dataSet_.Sort().c_str(),
                     counter_.paints);
    // The step measurements run over the rows in fetch order on both sizes.
    ClearSortMarking();
    return {seconds * 1000, handlerSortMs_};
}

double GridSetup::DataSetSortMs()
{
    // From the order the plain title click leaves, as the Ctrl release starts from.
    ClearSortMarking();
    dataSet_.SetSort(ComposeSortString({{kFirstSortField, SortMarker::smDown}}));
    Settle();
    const auto start = Clock::now();
    dataSet_.SetSort(ExpectedSortText());
    const double seconds = Seconds(start);
    ClearSortMarking();
    return seconds * 1000;
}

QRect GridSetup::DataRect() const
{
    // The band a record step scrolls: from the first data row to the end of the rows.
    const TGridDrawInfo info = grid_->CalcDrawInfo();
    const QRect firstRow = grid_->CellRect(0, grid_->TitleRows());
    const int top = firstRow.isEmpty() ? info.Vert.FixedBoundary : firstRow.top();
    return QRect(0, top, grid_->ClientWidth(), info.Vert.GridBoundary - top);
}

QVector<QRect> GridSetup::BottomRowCells() const
{
    QVector<QRect> cells;
    const int row = grid_->TitleRows() + grid_->VisibleDataRows() - 1;
    for (int i = 0; i < grid_->Columns().Count(); ++i)
        cells.push_back(grid_->CellRect(grid_->ToGridColumn(i), row));
    return cells;
}

QStringList GridSetup::CurrentRecordTexts()
{
    QStringList texts;
    for (int i = 0; i < grid_->Columns().Count(); ++i)
        texts.push_back(QString::fromStdString(grid_->Columns().Items(i)->ColumnDisplayText()));
    return texts;
}

}  // namespace qelvor::bench
