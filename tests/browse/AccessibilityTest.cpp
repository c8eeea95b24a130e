// The browse window as assistive technology sees it, offscreen through Qt's
// accessibility interfaces and an update handler that records the events: the grid as
// a table of the whole result, cells read as painted without moving the current
// record, focus and reset events, names of the other controls, and answers (never a
// crash) at the awkward moments — before the first search, on an empty result, out of
// range, with a hidden column, while a search runs and while the window goes.
#include <QAccessible>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "BrowseTestSupport.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "data/Field.h"
#include "grid/ColumnTitleEh.h"
#include "grid/DBGridEh.h"
#include "grid/GridAccessibility.h"
#include "grid/InplaceEdit.h"
#include "platform/Buttons.h"
#include "platform/TextControls.h"
#include "session/StandardInfo.h"

namespace qelvor {
namespace {

struct RecordedEvent {
    QAccessible::Event type;
    QObject* object;
    int child;
    int modelChange;  // QAccessibleTableModelChangeEvent's change type; -1 for others
};

std::vector<RecordedEvent>& Recorded()
{
    static std::vector<RecordedEvent> events;
    return events;
}

void RecordEvent(QAccessibleEvent* event)
{
    const int change = event->type() == QAccessible::TableModelChanged
                           ? static_cast<QAccessibleTableModelChangeEvent*>(event)->modelChangeType()
                           : -1;
    Recorded().push_back({event->type(), event->object(), event->child(), change});
}

class AccessibilityTest : public testing::Test {
protected:
    explicit AccessibilityTest(std::int64_t rows = 300) : database_(rows) {}

    void SetUp() override
    {
        InstallGridAccessibility();
        QAccessible::installUpdateHandler(&RecordEvent);
        HostConnection = database_.connection.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        // With the accessibility bus, Qt turns accessibility on once the bus answered.
        if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
            (void)QTest::qWaitFor([] { return QAccessible::isActive(); }, 3000);
        Recorded().clear();
    }
    // Events are sent only while Qt's accessibility is on, which needs the accessibility
    // bus (BrowseAccessibilityUnderX); offscreen the event checks are skipped.
    static bool EventsObservable() { return QAccessible::isActive(); }
    void TearDown() override
    {
        form_.reset();
        HostConnection = nullptr;
        QAccessible::installUpdateHandler(nullptr);
        RemoveGridAccessibility();
    }

    TDBGridEh& Grid() const { return *form_->DBGridEh1; }
    QAccessibleInterface* Table() const { return QAccessible::queryAccessibleInterface(form_->DBGridEh1); }
    QAccessibleTableInterface* TableOf() const { return Table()->tableInterface(); }
    QString CellText(int row, int column) const
    {
        QAccessibleInterface* cell = TableOf()->cellAt(row, column);
        return cell ? cell->text(QAccessible::Name) : QStringLiteral("<none>");
    }
    void Search(const std::string& from = {}, const std::string& to = {})
    {
        form_->Edit1->setText(QString::fromStdString(from));
        form_->Edit2->setText(QString::fromStdString(to));
        form_->BitBtn1->click();
        ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    }
    void FocusGrid()
    {
        QApplication::setActiveWindow(form_.get());
        Grid().setFocus();
        ASSERT_TRUE(Grid().hasFocus());
    }
    // The focused cell's row and column as the table reports them; (-1, -1) for none.
    std::pair<int, int> FocusedCell() const
    {
        QAccessibleInterface* focus = Table()->focusChild();
        if (!focus || !focus->tableCellInterface() || !focus->state().focused)
            return {-1, -1};
        return {focus->tableCellInterface()->rowIndex(), focus->tableCellInterface()->columnIndex()};
    }
    bool Saw(QAccessible::Event type, int child = -2) const
    {
        for (const RecordedEvent& event : Recorded())
            if (event.type == type && event.object == form_->DBGridEh1 && (child == -2 || event.child == child))
                return true;
        return false;
    }
    bool SawReset() const
    {
        for (const RecordedEvent& event : Recorded())
            if (event.modelChange == QAccessibleTableModelChangeEvent::ModelReset && event.object == form_->DBGridEh1)
                return true;
        return false;
    }

    test::TestDatabase database_;
    test::ErrorRecorder errors_;
    std::unique_ptr<TQELVOR_Form> form_;
};

TEST_F(AccessibilityTest, AfterASearchTheGridIsATableOfTheWholeResultWithTitles)
{
    Search();
    QAccessibleInterface* table = Table();
    ASSERT_NE(table, nullptr);
    ASSERT_NE(TableOf(), nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), QString::fromUtf8("卷面信息"));
    // The whole result, far more than the record window holds.
    EXPECT_EQ(TableOf()->rowCount(), 300);
    EXPECT_LT(Grid().DataLink().RecordCount(), 300);
    ASSERT_EQ(TableOf()->columnCount(), 7);
    EXPECT_EQ(TableOf()->columnDescription(0), QString::fromUtf8("准考证号"));
    QAccessibleInterface* cell = TableOf()->cellAt(0, 2);
    ASSERT_NE(cell, nullptr);
    const QList<QAccessibleInterface*> headers = cell->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers[0]->text(QAccessible::Name), QString::fromUtf8("姓名"));
    EXPECT_EQ(headers[0]->role(), QAccessible::ColumnHeader);
    // Children: the titles, then the cells row by row, both ways.
    EXPECT_EQ(table->childCount(), 301 * 7);
    EXPECT_EQ(table->indexOfChild(cell), 7 + 2);
    EXPECT_EQ(table->child(7 + 2), cell);
    EXPECT_EQ(table->child(2), headers[0]);
}

TEST_F(AccessibilityTest, CellsReadAsPaintedWithoutMovingTheCurrentRecord)
{
    Search();
    TADODataSet& set = *form_->QELV_Set;
    int scrolls = 0;
    set.AfterScroll = [&](TDataSet&) { ++scrolls; };
    const int recordBefore = set.RecNo();
    const int slotBefore = Grid().DataLink().ActiveRecord();
    const std::string currentShown = Grid().Columns()[0]->ColumnDisplayText();
    const QString near = CellText(recordBefore - 1, 2);
    const QString far = CellText(250, 0);
    const QString farName = CellText(250, 2);
    // The current record still shows its own values, at its own number.
    EXPECT_EQ(Grid().Columns()[0]->ColumnDisplayText(), currentShown);
    EXPECT_EQ(set.RecNo(), recordBefore);
    EXPECT_EQ(Grid().DataLink().ActiveRecord(), slotBefore);
    EXPECT_EQ(scrolls, 0);
    // The same record made current shows the same texts in its painted cells.
    set.SetRecNo(251);
    EXPECT_EQ(far, QString::fromStdString(Grid().Columns()[0]->ColumnDisplayText()));
    EXPECT_EQ(farName, QString::fromStdString(Grid().Columns()[2]->ColumnDisplayText()));
    EXPECT_FALSE(far.isEmpty());
    set.SetRecNo(recordBefore);
    EXPECT_EQ(near, QString::fromStdString(Grid().Columns()[2]->ColumnDisplayText()));
    // The current record's own values are intact after reading others.
    EXPECT_EQ(CellText(recordBefore - 1, 2), near);
}

TEST_F(AccessibilityTest, CellsReadTheShownTextNotTheStoredValue)
{
    Search();
    // The absence mark shown through a key list, as the grid paints it.
    TColumnEh& absence = *Grid().Columns()[5];
    absence.KeyList() = {"0", "1"};
    absence.PickList() = {"应考", "缺考"};
    for (int row : {0, 120, 299}) {
        const QString text = CellText(row, 5);
        EXPECT_TRUE(text == QString::fromUtf8("应考") || text == QString::fromUtf8("缺考")) << text.toStdString();
    }
}

TEST_F(AccessibilityTest, TheFocusFollowsKeysAndClicksWithAFocusEventPerMove)
{
    if (!EventsObservable())
        GTEST_SKIP() << "no accessibility bus: events are checked under X with it";
    Search();
    FocusGrid();
    EXPECT_EQ(FocusedCell(), std::make_pair(0, 0));
    QAccessibleInterface* table = Table();
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_EQ(FocusedCell(), std::make_pair(1, 0));
    EXPECT_TRUE(Saw(QAccessible::Focus, table->indexOfChild(TableOf()->cellAt(1, 0))));
    EXPECT_TRUE(TableOf()->cellAt(1, 3)->state().selected);  // the current row
    EXPECT_FALSE(TableOf()->cellAt(0, 3)->state().selected);
    QTest::keyClick(&Grid(), Qt::Key_Right);
    EXPECT_EQ(FocusedCell(), std::make_pair(1, 1));
    EXPECT_TRUE(Saw(QAccessible::Focus, table->indexOfChild(TableOf()->cellAt(1, 1))));
    // Down on the bottom row in view scrolls the records under a row that stays.
    QTest::keyClick(&Grid(), Qt::Key_PageDown, Qt::ControlModifier);
    const int bottom = FocusedCell().first;
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_EQ(FocusedCell(), std::make_pair(bottom + 1, 1));
    EXPECT_TRUE(Saw(QAccessible::Focus, table->indexOfChild(TableOf()->cellAt(bottom + 1, 1))));
    // Past the record window: the grid scrolls, the focus names the record.
    QTest::keyClick(&Grid(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(FocusedCell().first, 299);
    EXPECT_TRUE(Saw(QAccessible::Focus, table->indexOfChild(TableOf()->cellAt(299, 1))));
    QTest::keyClick(&Grid(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(FocusedCell().first, 0);
    const QRect cell = Grid().CellRect(Grid().ToGridColumn(3), Grid().TitleRows() + 4);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(FocusedCell(), std::make_pair(4, 3));
    EXPECT_TRUE(Saw(QAccessible::Focus, table->indexOfChild(TableOf()->cellAt(4, 3))));
}

// With the keyboard in 准考证起始号 the grid's current cell is not where a reader's
// focus is: a search or a move of the current record there raises no focus event.
TEST_F(AccessibilityTest, NoCellTakesTheFocusWhileTheKeyboardIsInAnEdit)
{
    if (!EventsObservable())
        GTEST_SKIP() << "no accessibility bus: events are checked under X with it";
    QApplication::setActiveWindow(form_.get());
    form_->Edit1->setFocus();
    ASSERT_TRUE(form_->Edit1->hasFocus());
    Recorded().clear();  // the activation's own focus events
    Search();
    EXPECT_TRUE(SawReset());
    form_->QELV_Set->Next();
    form_->QELV_Set->Last();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Saw(QAccessible::Focus)) << "a cell took the focus from the edit";
    EXPECT_EQ(FocusedCell(), std::make_pair(-1, -1));
    ASSERT_TRUE(form_->Edit1->hasFocus());
    // Back in the grid, the next move is announced again.
    FocusGrid();
    QTest::keyClick(&Grid(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_TRUE(Saw(QAccessible::Focus, Table()->indexOfChild(TableOf()->cellAt(0, 0))));
}

TEST_F(AccessibilityTest, WhileTheKeyboardIsInAnEditTheCurrentCellDoesNotReadAsFocused)
{
    Search();
    QApplication::setActiveWindow(form_.get());
    form_->Edit1->setFocus();
    ASSERT_TRUE(form_->Edit1->hasFocus());
    EXPECT_FALSE(TableOf()->cellAt(0, 0)->state().focused);
    EXPECT_EQ(Table()->focusChild(), nullptr);
    FocusGrid();
    EXPECT_TRUE(TableOf()->cellAt(0, 0)->state().focused);
}

// A reset forgets the cells: the current one is announced again even where it was.
TEST_F(AccessibilityTest, AfterEachResetTheCurrentCellIsAnnouncedAgain)
{
    if (!EventsObservable())
        GTEST_SKIP() << "no accessibility bus: events are checked under X with it";
    FocusGrid();
    Search();
    const int first = Table()->indexOfChild(TableOf()->cellAt(0, 0));
    EXPECT_TRUE(Saw(QAccessible::Focus, first));
    Recorded().clear();
    Search();
    EXPECT_TRUE(SawReset());
    EXPECT_TRUE(Saw(QAccessible::Focus, Table()->indexOfChild(TableOf()->cellAt(0, 0)))) << "the same search again";
    // A title click changes every title's description (each says where it stands now).
    Recorded().clear();
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().CellRect(Grid().ToGridColumn(0), 0).center());
    for (int column = 0; column < TableOf()->columnCount(); ++column) {
        QAccessibleInterface* title = TableOf()->cellAt(0, column)->tableCellInterface()->columnHeaderCells().value(0);
        ASSERT_NE(title, nullptr);
        EXPECT_TRUE(Saw(QAccessible::DescriptionChanged, Table()->indexOfChild(title))) << "title " << column;
    }
}

TEST_F(AccessibilityTest, TheOpenEditorIsTheFocusedReadOnlyText)
{
    Search();
    FocusGrid();
    ASSERT_TRUE(Grid().hasFocus()) << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
    QTest::keyClick(&Grid(), Qt::Key_F2);
    TInplaceEdit* editor = Grid().InplaceEditor();
    ASSERT_NE(editor, nullptr) << Grid().EditorMode() << " " << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
    ASSERT_TRUE(editor->hasFocus());
    QAccessibleInterface* focus = Table()->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->object(), editor);
    EXPECT_EQ(focus->role(), QAccessible::EditableText);
    EXPECT_TRUE(focus->state().readOnly);
    EXPECT_EQ(focus->text(QAccessible::Value), CellText(0, 0));
}

TEST_F(AccessibilityTest, ResultsOpeningClosingResortingAndMovedColumnsResetTheTable)
{
    if (!EventsObservable())
        GTEST_SKIP() << "no accessibility bus: events are checked under X with it";
    Search();
    EXPECT_TRUE(SawReset()) << "opening the result";
    Recorded().clear();
    form_->QELV_Set->Close();
    EXPECT_TRUE(SawReset()) << "closing the result";
    EXPECT_EQ(TableOf()->rowCount(), 0);
    Search();
    Recorded().clear();
    const QString firstBefore = CellText(0, 0);
    // A title click marks the column and re-sorts.
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().CellRect(Grid().ToGridColumn(0), 0).center());
    EXPECT_TRUE(Saw(QAccessible::DescriptionChanged, Table()->indexOfChild(TableOf()->cellAt(0, 0)->tableCellInterface()->columnHeaderCells()[0])));
    EXPECT_TRUE(SawReset()) << "the re-sort";
    EXPECT_NE(CellText(0, 0), firstBefore);
    Recorded().clear();
    Grid().Columns()[0]->SetIndex(2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(SawReset()) << "the moved column";
    EXPECT_EQ(TableOf()->columnDescription(2), QString::fromUtf8("准考证号"));
}

TEST_F(AccessibilityTest, TitlesDescribeTheirSortState)
{
    Search();
    auto description = [this](int column) {
        return TableOf()->cellAt(0, column)->tableCellInterface()->columnHeaderCells()[0]->text(QAccessible::Description);
    };
    EXPECT_EQ(description(0), QString::fromUtf8("未排序"));
    Grid().Columns()[0]->Title()->SetSortMarker(smDownEh);
    Grid().Columns()[2]->Title()->SetSortMarker(smUpEh);
    EXPECT_EQ(description(0), QString::fromUtf8("降序, 第 1 排序列"));
    EXPECT_EQ(description(2), QString::fromUtf8("升序, 第 2 排序列"));
    EXPECT_EQ(description(1), QString::fromUtf8("未排序"));
}

// The title of a visible column as a screen reader reaches it: the column header.
QAccessibleInterface* HeaderOf(QAccessibleTableInterface* table, int column)
{
    return table->cellAt(0, column)->tableCellInterface()->columnHeaderCells()[0];
}

TEST_F(AccessibilityTest, TitleActionsSortAsAClickAndACtrlClickWithOneResortEach)
{
    Search();
    int resorts = 0;
    const auto sortHandler = Grid().Events().OnSortMarkingChanged;
    Grid().Events().OnSortMarkingChanged = [&](TCustomDBGridEh& grid) {
        ++resorts;
        sortHandler(grid);
    };
    int titleButtonClicks = 0;
    Grid().Events().OnTitleBtnClick = [&](TCustomDBGridEh&, int, TColumnEh*) { ++titleButtonClicks; };
    const QString addKey = QStringLiteral("AddSortKey");
    const QString press = QAccessibleActionInterface::pressAction();
    auto act = [&](int column, const QString& name) {
        QAccessibleActionInterface* actions = HeaderOf(TableOf(), column)->actionInterface();
        ASSERT_NE(actions, nullptr);
        ASSERT_EQ(actions->actionNames(), QStringList({press, addKey}));
        actions->doAction(name);
        QCoreApplication::processEvents();
    };
    auto description = [&](int column) { return HeaderOf(TableOf(), column)->text(QAccessible::Description).toStdString(); };
    const QString lastNumber = QString::fromStdString(database_.Scalar("select max(zkzh) from t_omr"));

    // Press: the click's cycle, one re-sort, the new first row.
    act(0, press);
    EXPECT_EQ(resorts, 1);
    EXPECT_EQ(titleButtonClicks, 1);
    EXPECT_EQ(description(0), "降序, 第 1 排序列");
    EXPECT_EQ(CellText(0, 0), lastNumber);
    act(0, press);
    EXPECT_EQ(resorts, 2);
    EXPECT_EQ(description(0), "升序, 第 1 排序列");
    EXPECT_LT(CellText(0, 0), CellText(1, 0));

    // AddSortKey: a further key at once (no Ctrl to wait for), then its direction, then off.
    act(2, addKey);
    EXPECT_EQ(resorts, 3);
    EXPECT_EQ(description(0), "升序, 第 1 排序列");
    EXPECT_EQ(description(2), "降序, 第 2 排序列");
    act(2, addKey);
    EXPECT_EQ(description(2), "升序, 第 2 排序列");
    act(2, addKey);
    EXPECT_EQ(resorts, 5);
    EXPECT_EQ(description(2), "未排序");
    EXPECT_EQ(Grid().SortMarkedColumnList().Count(), 1);

    // Press replaces the sort as a click does.
    act(2, addKey);
    act(5, press);
    EXPECT_EQ(resorts, 7);
    EXPECT_EQ(description(0), "未排序");
    EXPECT_EQ(description(2), "未排序");
    EXPECT_EQ(description(5), "降序, 第 1 排序列");

    // A Ctrl+click still waiting for Ctrl's release and an action make one re-sort together.
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      Grid().CellRect(Grid().ToGridColumn(1), 0).center());
    EXPECT_EQ(resorts, 7);
    act(0, addKey);
    EXPECT_EQ(resorts, 8);
    EXPECT_FALSE(Grid().SortMarkingChangePending());
    EXPECT_EQ(description(1), "降序, 第 2 排序列");
    EXPECT_EQ(description(0), "降序, 第 3 排序列");
    EXPECT_EQ(titleButtonClicks, 9);
    ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
}

TEST_F(AccessibilityTest, TitlesOfferNoActionWhileTheWindowTakesNoClick)
{
    Search();
    auto actionsOf = [this](int column) { return HeaderOf(TableOf(), column)->actionInterface()->actionNames(); };
    ASSERT_FALSE(actionsOf(0).isEmpty());
    // A data cell is no title: no sort action.
    QAccessibleActionInterface* cellActions = TableOf()->cellAt(0, 0)->actionInterface();
    EXPECT_TRUE(!cellActions || cellActions->actionNames().isEmpty());
    // Inside a re-sort (which may turn an event loop), no second one starts.
    QStringList duringResort = {QStringLiteral("not asked")};
    const auto sortHandler = Grid().Events().OnSortMarkingChanged;
    Grid().Events().OnSortMarkingChanged = [&](TCustomDBGridEh& grid) {
        duringResort = actionsOf(1);
        sortHandler(grid);
    };
    HeaderOf(TableOf(), 0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_TRUE(duringResort.isEmpty()) << duringResort.join(',').toStdString();
    EXPECT_FALSE(actionsOf(1).isEmpty()) << "after the re-sort";
    // A title that is no button, and a box over the window, take no click.
    Grid().Columns()[3]->Title()->SetTitleButton(false);
    EXPECT_TRUE(actionsOf(3).isEmpty());
    QWidget box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);
    EXPECT_TRUE(actionsOf(0).isEmpty());
    // An action asked for just before the box came does nothing under it.
    box.hide();
    const int marked = Grid().SortMarkedColumnList().Count();
    const TSortMarkerEh marker = Grid().Columns()[1]->Title()->SortMarker();
    HeaderOf(TableOf(), 1)->actionInterface()->doAction(QStringLiteral("AddSortKey"));
    box.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(Grid().SortMarkedColumnList().Count(), marked);
    EXPECT_EQ(Grid().Columns()[1]->Title()->SortMarker(), marker);
}

TEST_F(AccessibilityTest, EditsAreNamedByTheirLabelsAndTheExitButtonPressesWithoutFocus)
{
    QAccessibleInterface* edit1 = QAccessible::queryAccessibleInterface(form_->Edit1);
    QAccessibleInterface* edit2 = QAccessible::queryAccessibleInterface(form_->Edit2);
    EXPECT_EQ(edit1->text(QAccessible::Name), QString::fromUtf8("准考证起始号"));
    EXPECT_EQ(edit2->text(QAccessible::Name), QString::fromUtf8("准考证终止号"));
    EXPECT_EQ(form_->Label3->buddy(), form_->Edit1);
    EXPECT_EQ(form_->Label4->buddy(), form_->Edit2);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form_->BitBtn1)->text(QAccessible::Name), QString::fromUtf8("检索"));
    QAccessibleInterface* exit = QAccessible::queryAccessibleInterface(form_->SpeedButton3);
    EXPECT_EQ(exit->text(QAccessible::Name), QString::fromUtf8("退出"));
    EXPECT_EQ(form_->SpeedButton3->focusPolicy(), Qt::NoFocus);
    ASSERT_NE(exit->actionInterface(), nullptr);
    ASSERT_TRUE(exit->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    exit->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::qWait(0);
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(AccessibilityTest, TheErrorBoxIsNamedByItsMessage)
{
    const ErrorPresenter recording = SetErrorPresenter({});  // the standard box
    QString name;
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            name = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name);
            box->close();
        }
    });
    HandleException(std::make_exception_ptr(std::runtime_error("没有找到答题卡表")));
    SetErrorPresenter(recording);
    EXPECT_EQ(name.toStdString(), "没有找到答题卡表.");
}

// Every question a client may ask, asked where the grid has nothing or little to show.
void AskEverything(QAccessibleInterface* table)
{
    if (!table)
        return;
    (void)table->isValid();
    (void)table->text(QAccessible::Name);
    (void)table->state();
    (void)table->focusChild();
    (void)table->childAt(10, 10);
    const int children = table->childCount();
    for (int index : {-1, 0, 1, 8, children - 1, children, 1 << 30})
        if (QAccessibleInterface* child = table->child(index))
            (void)child->text(QAccessible::Name), (void)child->state(), (void)child->rect(), (void)table->indexOfChild(child);
    QAccessibleTableInterface* t = table->tableInterface();
    if (!t)
        return;
    (void)t->rowCount();
    (void)t->selectedCells();
    (void)t->selectedRows();
    for (int row : {-1, 0, 1, 299, 300, 1 << 30})
        for (int column : {-1, 0, 6, 7})
            if (QAccessibleInterface* cell = t->cellAt(row, column))
                (void)cell->text(QAccessible::Name), (void)cell->state(), (void)cell->tableCellInterface()->columnHeaderCells();
}

TEST_F(AccessibilityTest, BeforeTheFirstSearchTheTableIsEmptyAndSafe)
{
    FocusGrid();
    ASSERT_NE(TableOf(), nullptr);
    EXPECT_EQ(TableOf()->rowCount(), 0);
    EXPECT_EQ(TableOf()->cellAt(0, 0), nullptr);
    EXPECT_EQ(FocusedCell(), std::make_pair(-1, -1));
    AskEverything(Table());
    QTest::keyClick(&Grid(), Qt::Key_Down);
    AskEverything(Table());
}

TEST_F(AccessibilityTest, AnEmptyResultAndCellsOutsideItAnswerEmpty)
{
    Search("zzzz", "zzzz");
    EXPECT_EQ(TableOf()->rowCount(), 0);
    EXPECT_EQ(TableOf()->cellAt(0, 0), nullptr);
    AskEverything(Table());
    Search();
    EXPECT_EQ(TableOf()->cellAt(300, 0), nullptr);
    EXPECT_EQ(TableOf()->cellAt(0, 7), nullptr);
    EXPECT_EQ(Table()->child(301 * 7), nullptr);
    AskEverything(Table());
}

TEST_F(AccessibilityTest, AHiddenColumnLeavesTheTable)
{
    Search();
    FocusGrid();
    QTest::keyClick(&Grid(), Qt::Key_Right);
    QTest::keyClick(&Grid(), Qt::Key_Right);
    Grid().Columns()[1]->SetVisible(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(TableOf()->columnCount(), 6);
    EXPECT_EQ(TableOf()->columnDescription(1), QString::fromUtf8("姓名"));
    EXPECT_EQ(FocusedCell().second, 1);  // the name column, now second
    AskEverything(Table());
}

TEST_F(AccessibilityTest, WhileASearchRunsTheTableIsEmpty)
{
    Search();
    QAccessibleInterface* table = Table();
    int asked = 0;
    form_->QELV_Set->BeforeOpen = [&](TDataSet&) {
        EXPECT_EQ(table->tableInterface()->rowCount(), 0);
        EXPECT_EQ(table->tableInterface()->cellAt(0, 0), nullptr);
        AskEverything(table);
        ++asked;
    };
    Search();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(TableOf()->rowCount(), 300);
}

TEST_F(AccessibilityTest, WhileTheWindowClosesQuestionsGetAnswersOrNothing)
{
    Search();
    FocusGrid();
    const QAccessible::Id tableId = QAccessible::uniqueId(Table());
    const QAccessible::Id cellId = QAccessible::uniqueId(TableOf()->cellAt(5, 1));
    auto askById = [tableId, cellId] {
        for (QAccessible::Id id : {tableId, cellId})
            if (QAccessibleInterface* iface = QAccessible::accessibleInterface(id))
                (void)iface->text(QAccessible::Name), (void)iface->state(), AskEverything(iface);
    };
    int askedInDestruction = 0;
    // Mid-destruction of the grid: its children go after the grid's own destructor ran.
    QObject::connect(Grid().viewport(), &QObject::destroyed, [&] {
        askById();
        ++askedInDestruction;
    });
    form_->close();
    askById();
    form_.reset();
    askById();
    EXPECT_EQ(askedInDestruction, 1);
}

// --- what reaches the accessibility bus ---

// One AT-SPI event as a screen reader receives it.
struct BusEvent {
    QString interface;  // org.a11y.atspi.Event.Object, .Focus …
    QString member;  // PropertyChange, StateChanged, ModelChanged, Focus …
    QString path;  // the object it comes from
    QString kind;  // its first argument: "accessible-description", "focused" …
    int detail;  // its second: 1 for a state set
};

// A listener of the accessibility bus of its own, registered with the bus's registry as
// a screen reader registers: only then does Qt's bridge send its events at all.
class AtspiBusListener : public QObject {
    Q_OBJECT
public:
    AtspiBusListener()
    {
        QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                          QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
        const QDBusMessage address = QDBusConnection::sessionBus().call(ask);
        if (address.type() != QDBusMessage::ReplyMessage || address.arguments().isEmpty())
            return;
        bus_ = QDBusConnection::connectToBus(address.arguments().first().toString(), QStringLiteral("qelvor-test-reader"));
        if (!bus_.isConnected())
            return;
        for (const char* member : {"PropertyChange", "StateChanged", "ModelChanged", "RowReordered", "VisibleDataChanged"})
            bus_.connect({}, {}, QStringLiteral("org.a11y.atspi.Event.Object"), QString::fromLatin1(member), this,
                         SLOT(Received(QDBusMessage)));
        bus_.connect({}, {}, QStringLiteral("org.a11y.atspi.Event.Focus"), QStringLiteral("Focus"), this,
                     SLOT(Received(QDBusMessage)));
        for (const char* event : {"object:", "focus:"}) {
            QDBusMessage registration = QDBusMessage::createMethodCall(
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("RegisterEvent"));
            registration << QString::fromLatin1(event);
            registered_ = bus_.call(registration).type() == QDBusMessage::ReplyMessage;
        }
    }
    ~AtspiBusListener() override { QDBusConnection::disconnectFromBus(QStringLiteral("qelvor-test-reader")); }

    bool Listening() const { return bus_.isConnected() && registered_; }
    bool Saw(const QString& member, const QString& path) const
    {
        for (const BusEvent& event : events)
            if (event.member == member && event.path == path)
                return true;
        return false;
    }
    // The path of the last object the bus heard take the focus.
    QString LastFocus() const
    {
        QString path;
        for (const BusEvent& event : events)
            if (event.interface.endsWith(QStringLiteral(".Focus")))
                path = event.path;
        return path;
    }

    std::vector<BusEvent> events;

public slots:
    void Received(const QDBusMessage& message)
    {
        const QList<QVariant> arguments = message.arguments();
        events.push_back({message.interface(), message.member(), message.path(),
                          arguments.value(0).toString(), arguments.value(1).toInt()});
    }

private:
    QDBusConnection bus_{QString()};
    bool registered_ = false;
};

// The path the bridge gives an object, and the object of a path (nullptr: gone).
QString BusPath(QAccessibleInterface* object)
{
    return QStringLiteral("/org/a11y/atspi/accessible/") + QString::number(QAccessible::uniqueId(object));
}

QAccessibleInterface* ObjectAt(const QString& path)
{
    return QAccessible::accessibleInterface(path.section(QLatin1Char('/'), -1).toUInt());
}

// The browse window as a screen reader on the accessibility bus hears it (no update
// handler of the test's: every event takes the way to the bus).
class AccessibilityOverTheBus : public AccessibilityTest {
protected:
    void SetUp() override
    {
        AccessibilityTest::SetUp();
        QAccessible::installUpdateHandler(nullptr);
        if (!EventsObservable() || !reader_.Listening())
            GTEST_SKIP() << "no accessibility bus: checked under X with it";
        // The bridge learns of the new listener through the registry: wait until a
        // focus change reaches the bus.
        bool heard = QTest::qWaitFor(
            [&] {
                QApplication::setActiveWindow(form_.get());
                (form_->Edit1->hasFocus() ? static_cast<QWidget*>(form_->Edit2) : form_->Edit1)->setFocus();
                return !reader_.LastFocus().isEmpty();
            },
            5000);
        ASSERT_TRUE(heard) << "the bridge sends nothing to a registered listener";
        Search();
        FocusGrid();
        QCoreApplication::processEvents();
    }
    QString TablePath() const { return BusPath(Table()); }
    // Lets the events of a step arrive, until `arrived` holds (the bus keeps one
    // sender's events in order) or for a while.
    template <typename Condition>
    void Settle(Condition arrived)
    {
        (void)QTest::qWaitFor(arrived, 3000);
        QCoreApplication::processEvents();
    }

    AtspiBusListener reader_;
};

// After a sort the title a reader pressed still reads its caption and new state, every
// description change comes from a live title, and the table says its rows changed.
TEST_F(AccessibilityOverTheBus, ASortKeepsTheTitlesAliveAndTellsTheTableChanged)
{
    auto expectSorted = [&](const QString& pressedPath, const char* how, const char* name, const char* state) {
        EXPECT_TRUE(reader_.Saw(QStringLiteral("ModelChanged"), TablePath())) << how;
        EXPECT_TRUE(reader_.Saw(QStringLiteral("RowReordered"), TablePath())) << how;
        int descriptions = 0;
        for (const BusEvent& event : reader_.events) {
            if (event.member != QStringLiteral("PropertyChange") || event.kind != QStringLiteral("accessible-description"))
                continue;
            ++descriptions;
            QAccessibleInterface* title = ObjectAt(event.path);
            ASSERT_NE(title, nullptr) << how << ": the event's title is gone";
            EXPECT_FALSE(title->text(QAccessible::Name).isEmpty()) << how;
            EXPECT_FALSE(title->text(QAccessible::Description).isEmpty()) << how;
        }
        EXPECT_EQ(descriptions, TableOf()->columnCount()) << how;
        EXPECT_TRUE(reader_.Saw(QStringLiteral("PropertyChange"), pressedPath)) << how;
        QAccessibleInterface* pressed = ObjectAt(pressedPath);
        ASSERT_NE(pressed, nullptr) << how << ": the pressed title is gone";
        EXPECT_EQ(pressed->text(QAccessible::Name).toStdString(), name) << how;
        EXPECT_EQ(pressed->text(QAccessible::Description).toStdString(), state) << how;
    };

    // From the bus: the title's Press action.
    const QString namePath = BusPath(HeaderOf(TableOf(), 2));
    reader_.events.clear();
    ObjectAt(namePath)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    Settle([&] { return reader_.Saw(QStringLiteral("RowReordered"), TablePath()); });
    expectSorted(namePath, "the Press action", "姓名", "降序, 第 1 排序列");

    // From the mouse: a click on the title 准考证号.
    const QString ticketPath = BusPath(HeaderOf(TableOf(), 0));
    reader_.events.clear();
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().CellRect(Grid().ToGridColumn(0), 0).center());
    Settle([&] { return reader_.Saw(QStringLiteral("RowReordered"), TablePath()); });
    expectSorted(ticketPath, "a click on the title", "准考证号", "降序, 第 1 排序列");
    EXPECT_EQ(ObjectAt(namePath)->text(QAccessible::Description), QString::fromUtf8("未排序"));
}

// Esc closes the value editor: the keyboard is back in the grid, and the last focus the
// reader hears is the current cell, not the table around it.
TEST_F(AccessibilityOverTheBus, AfterEscTheFocusNamesTheCurrentCell)
{
    // With a reader registered, Qt's bridge hands each key to the reader first and
    // delivers it once the reader let it pass: every key is waited for.
    const auto key = [&](QWidget* target, Qt::Key pressed, auto done) {
        QTest::keyClick(target, pressed);
        ASSERT_TRUE(QTest::qWaitFor(done, 3000)) << "key " << pressed;
    };
    key(&Grid(), Qt::Key_Down, [&] { return FocusedCell() == std::make_pair(1, 0); });
    key(&Grid(), Qt::Key_Right, [&] { return FocusedCell() == std::make_pair(1, 1); });
    const QString cellPath = BusPath(TableOf()->cellAt(1, 1));
    key(&Grid(), Qt::Key_F2, [&] { return Grid().InplaceEditor() && Grid().InplaceEditor()->hasFocus(); });
    TInplaceEdit* editor = Grid().InplaceEditor();
    Settle([&] { return reader_.LastFocus() == BusPath(QAccessible::queryAccessibleInterface(editor)); });
    reader_.events.clear();
    key(editor, Qt::Key_Escape, [&] { return Grid().hasFocus(); });
    Settle([&] { return reader_.LastFocus() == cellPath; });
    EXPECT_EQ(reader_.LastFocus(), cellPath) << "the table: " << TablePath().toStdString();
    EXPECT_EQ(FocusedCell(), std::make_pair(1, 1));
}

}  // namespace
}  // namespace qelvor

#include "AccessibilityTest.moc"
