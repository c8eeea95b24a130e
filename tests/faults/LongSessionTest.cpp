// A long session in the browse window: thousands of random actions — searches over
// random ranges, title clicks with and without Ctrl, keys, wheel turns, clicks, drags,
// column sizing and moving, window resizes — over 100,000 sheets, with the grid's,
// the record window's and the sort marking's invariants checked after every action.
//
// The seed is printed; QELVOR_SESSION_SEED replays a run, QELVOR_SESSION_ACTIONS sets
// its length (tools/long-session.sh runs a long one).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "grid/DBGridEh.h"
#include "session/StandardInfo.h"
#include "platform/Buttons.h"
#include "platform/TextControls.h"
#include "tests/browse/BrowseTestSupport.h"

namespace qelvor::test {
namespace {

constexpr std::int64_t kSheets = 100000;

long EnvironmentNumber(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::strtol(value, nullptr, 10) : fallback;
}

class LongSessionTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        database_ = new TestDatabase(kSheets);
        sqlite3* db = nullptr;
        sqlite3_open_v2(database_->Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "select zkzh from t_omr", -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            tickets_.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    static void TearDownTestSuite()
    {
        delete database_;
        database_ = nullptr;
    }

    void SetUp() override
    {
        HostConnection = database_->connection.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        grid_ = form_->DBGridEh1;
    }
    void TearDown() override
    {
        form_.reset();
        HostConnection = nullptr;
    }

    int Random(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }
    QPoint RandomPoint()
    {
        const QSize size = grid_->viewport()->size();
        return {Random(size.width() + 40) - 20, Random(size.height() + 40) - 20};
    }
    Qt::KeyboardModifiers RandomModifiers()
    {
        const int pick = Random(6);
        return pick == 0 ? Qt::ControlModifier : pick == 1 ? Qt::ShiftModifier : Qt::NoModifier;
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers)
    {
        QWidget* viewport = grid_->viewport();
        QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, held, modifiers);
        QApplication::sendEvent(viewport, &event);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid_;
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(target, &release);
    }
    // The title's centre or a border after a data column (-1 when not on screen).
    QPoint TitleCentre(int dataCol) const { return grid_->CellRect(dataCol + grid_->IndicatorColumns(), 0).center(); }

    // Runs one random action and says what it was.
    std::string Act()
    {
        std::ostringstream what;
        const int kind = Random(100);
        const int columns = grid_->Columns().Count();
        if (kind < 3) {
            const bool everything = Random(4) == 0;
            const std::string& a = tickets_[static_cast<std::size_t>(Random(static_cast<int>(tickets_.size())))];
            const std::string& b = tickets_[static_cast<std::size_t>(Random(static_cast<int>(tickets_.size())))];
            form_->Edit1->SetText(everything ? QString() : QString::fromStdString(std::min(a, b)));
            form_->Edit2->SetText(everything ? QString() : QString::fromStdString(std::max(a, b)));
            form_->BitBtn1->click();
            grid_->setFocus();
            what << "search '" << form_->Edit1->Text().toStdString() << "'..'" << form_->Edit2->Text().toStdString() << "'";
        } else if (kind < 10) {
            const int col = Random(columns);
            const bool ctrl = Random(2) == 0;
            const QPoint at = TitleCentre(col);
            Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier);
            Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, ctrl ? Qt::ControlModifier : Qt::NoModifier);
            if (ctrl && Random(2) == 0) {
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
                QApplication::sendEvent(grid_, &release);
            }
            what << "title click " << col << (ctrl ? " with Ctrl" : "");
        } else if (kind < 50) {
            static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home,
                                           Qt::Key_End, Qt::Key_Left, Qt::Key_Right, Qt::Key_Tab, Qt::Key_F2,
                                           Qt::Key_Escape, Qt::Key_Return};
            const Qt::Key key = keys[Random(static_cast<int>(std::size(keys)))];
            const Qt::KeyboardModifiers modifiers = RandomModifiers();
            Key(key, modifiers);
            what << "key " << key << " modifiers " << modifiers.toInt();
        } else if (kind < 65) {
            const int delta = (Random(7) - 3) * 120 + (Random(4) == 0 ? Random(120) - 60 : 0);
            const QPoint at = RandomPoint();
            QWidget* viewport = grid_->viewport();
            QWheelEvent event(QPointF(at), QPointF(viewport->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &event);
            what << "wheel " << delta;
        } else if (kind < 80) {
            const QPoint at = RandomPoint();
            const Qt::MouseButton button = Random(5) == 0 ? Qt::RightButton : Qt::LeftButton;
            Mouse(QEvent::MouseButtonPress, at, button, button, RandomModifiers());
            Mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton, Qt::NoModifier);
            what << "click " << at.x() << "," << at.y();
        } else if (kind < 94) {
            // Drags: across cells, from a title border (sizing) or a title (moving).
            QPoint from = RandomPoint();
            const int col = Random(columns);
            const QRect title = grid_->CellRect(col + grid_->IndicatorColumns(), 0);
            if (kind < 87 && !title.isEmpty())
                from = Random(2) == 0 ? QPoint(title.right() + 1, title.center().y()) : title.center();
            Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QPoint to = from;
            for (int step = Random(6); step >= 0; --step) {
                to = RandomPoint();
                Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                if (Random(3) == 0)
                    QTest::qWait(Random(40));  // lets timer 1 scroll or move
            }
            Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            what << "drag " << from.x() << "," << from.y() << " -> " << to.x() << "," << to.y();
        } else {
            const QSize size(300 + Random(700), 200 + Random(500));
            form_->resize(size);
            what << "resize " << size.width() << "x" << size.height();
        }
        QApplication::processEvents();
        return what.str();
    }

    // The invariants that hold between any two user actions.
    void CheckInvariants(const std::string& context)
    {
        SCOPED_TRACE(context);
        const TDBGridEh& grid = *grid_;
        const int titleRows = grid.TitleRows();
        ASSERT_EQ(grid.ColCount(), grid.Columns().Count() + grid.IndicatorColumns());
        ASSERT_EQ(grid.TopRow(), titleRows);
        const TGridDataLinkEh& link = grid_->DataLink();
        const bool shows = link.Active() && link.RecordCount() != 0;
        ASSERT_EQ(grid.RowCount(), titleRows + (shows ? link.RecordCount() : 1));
        if (shows) {
            ASSERT_EQ(grid.Row(), titleRows + link.ActiveRecord());
        }
        ASSERT_GE(grid.Col(), grid.IndicatorColumns());
        ASSERT_LT(grid.Col(), grid.ColCount());
        TADODataSet& dataSet = *form_->QELV_Set;
        if (dataSet.Active()) {
            const int count = dataSet.RecordCount();
            const int number = dataSet.RecNo();
            ASSERT_TRUE(count == 0 ? number == -1 : number >= 1 && number <= count) << number << " of " << count;
            ASSERT_TRUE(!dataSet.Bof() || count == 0 || number == 1);
            ASSERT_TRUE(!dataSet.Eof() || count == 0 || number == count);
        }
        const TColumnsEhList& marked = grid.SortMarkedColumnList();
        for (int i = 0; i < marked.Count(); ++i) {
            ASSERT_EQ(marked[i]->Title()->SortIndex(), i + 1);
            ASSERT_NE(marked[i]->Title()->SortMarker(), smNoneEh);
        }
        ASSERT_TRUE(errors_.texts.empty()) << errors_.texts.front();
        ASSERT_TRUE(form_->isVisible());
    }

    static TestDatabase* database_;
    static std::vector<std::string> tickets_;
    ErrorRecorder errors_;
    std::unique_ptr<TQELVOR_Form> form_;
    TDBGridEh* grid_ = nullptr;
    std::mt19937 random_;
};

TestDatabase* LongSessionTest::database_ = nullptr;
std::vector<std::string> LongSessionTest::tickets_;

TEST_F(LongSessionTest, RandomActionsKeepEveryInvariant)
{
    const auto seed = static_cast<unsigned>(
        EnvironmentNumber("QELVOR_SESSION_SEED", std::chrono::steady_clock::now().time_since_epoch().count() & 0x7fffffff));
    const long actions = EnvironmentNumber("QELVOR_SESSION_ACTIONS", 1500);
    std::printf("long session: QELVOR_SESSION_SEED=%u, %ld actions\n", seed, actions);
    std::fflush(stdout);
    random_.seed(seed);
    RecordProperty("seed", static_cast<int>(seed));
    form_->BitBtn1->click();  // everything, so that the session starts with records
    grid_->setFocus();
    CheckInvariants("first search");
    for (long i = 0; i < actions; ++i) {
        const std::string what = Act();
        CheckInvariants("seed " + std::to_string(seed) + ", action " + std::to_string(i) + ": " + what);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
}  // namespace qelvor::test
