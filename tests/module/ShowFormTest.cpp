// ShowForm as a Qt host calls it: the caption, owned by the host window, ignored
// arguments, a fresh form per call (also after a search), the module's date separator,
// and the host's connection left to the host.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>

#include "data/ADOConnection.h"
#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"
#include "data/FieldFormat.h"
#include "module/ModuleInterface.h"
#include "runtime/FormatSettings.h"
#include "runtime/Variant.h"
#include "sampledata/SampleDatabase.h"

namespace {

constexpr const char* kCaption = "卷面信息浏览(V3.00)";

class ShowFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        module_ = dlopen(QELVOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << dlerror();
        showForm_ = reinterpret_cast<TShowFormFunction>(dlsym(module_, kShowFormName));
        ASSERT_NE(showForm_, nullptr);
        const std::string path = dir_.filePath(QStringLiteral("demo.db")).toStdString();
        qelvor::CreateSampleDatabase(path, 50, 1);
        connection_.SetConnectionString("Provider=SQLite;Data Source=" + path);
        connection_.Open();
    }

    // Runs ShowForm; inspect sees the browse window from inside the modal loop, then it is closed.
    void ShowFormAndInspect(std::uintptr_t hostWindow, std::int32_t filler, const std::function<void(QWidget&)>& inspect)
    {
        bool inspected = false;
        QTimer::singleShot(0, [&] { Inspect(inspect, inspected); });
        showForm_(hostWindow, filler, filler, filler, filler, filler, filler, &connection_);
        EXPECT_TRUE(inspected);
    }

    static void Inspect(const std::function<void(QWidget&)>& inspect, bool& inspected)
    {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible()) {
            QTimer::singleShot(10, [&] { Inspect(inspect, inspected); });
            return;
        }
        inspected = true;
        inspect(*window);
        window->close();
    }

    QTemporaryDir dir_;
    void* module_ = nullptr;
    TShowFormFunction showForm_ = nullptr;
    qelvor::TADOConnection connection_{"HostConnection"};
};

TEST_F(ShowFormTest, ShowsTheCaptionedWindowOwnedByTheHostWindow)
{
    QMainWindow host;
    host.show();
    ShowFormAndInspect(static_cast<std::uintptr_t>(host.winId()), 0, [&](QWidget& window) {
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8(kCaption));
        EXPECT_EQ(window.parentWidget(), &host);
        EXPECT_TRUE(window.isModal());
        EXPECT_EQ(window.size(), QSize(659, 378));
    });
    // The host's connection is still the host's: open, with no dataset of the module attached.
    EXPECT_TRUE(connection_.Connected());
    EXPECT_TRUE(connection_.ClientDataSets().empty());
}

TEST_F(ShowFormTest, EveryCallBuildsAFreshWindowWhateverTheIgnoredArguments)
{
    const QWidget* firstWindow = nullptr;
    ShowFormAndInspect(0, 0, [&](QWidget& window) {
        firstWindow = &window;
        window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("101"));
    });
    ShowFormAndInspect(0, -123456, [&](QWidget& window) {
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8(kCaption));
        EXPECT_TRUE(window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text().isEmpty());
        EXPECT_TRUE(window.findChild<QLineEdit*>(QStringLiteral("Edit2"))->text().isEmpty());
    });
    EXPECT_NE(firstWindow, nullptr);
    // Both forms are gone: only the test's own windows remain.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_NE(widget->windowTitle(), QString::fromUtf8(kCaption));
}

TEST_F(ShowFormTest, TheSixIntegerArgumentsChangeNeitherTheSearchNorTheSort)
{
    // A range searched and sorted by 姓名 (a title click), as the window shows it.
    const auto searchAndSort = [](QWidget& window, QImage& searched, QImage& sorted) {
        auto* grid = window.findChild<QAbstractScrollArea*>(QStringLiteral("DBGridEh1"));
        ASSERT_NE(grid, nullptr);
        window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("1"));
        window.findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("9"));
        window.findChild<QAbstractButton*>(QStringLiteral("BitBtn1"))->click();
        QApplication::processEvents();
        searched = grid->viewport()->grab().toImage();
        // The title 姓名: after the indicator (11), 准考证号 (107 + 1) and 报名号 (102 + 1).
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(11 + 108 + 103 + 20, 6));
        QApplication::processEvents();
        sorted = grid->viewport()->grab().toImage();
    };
    QImage searchedWithZeros;
    QImage sortedWithZeros;
    ShowFormAndInspect(0, 0, [&](QWidget& window) { searchAndSort(window, searchedWithZeros, sortedWithZeros); });
    ASSERT_NE(searchedWithZeros, sortedWithZeros) << "the click sorted";
    for (const std::int32_t filler : {-1, 1, 123456789}) {
        QImage searched;
        QImage sorted;
        ShowFormAndInspect(0, filler, [&](QWidget& window) { searchAndSort(window, searched, sorted); });
        EXPECT_EQ(searched, searchedWithZeros) << filler;
        EXPECT_EQ(sorted, sortedWithZeros) << filler;
    }
}

TEST_F(ShowFormTest, ASecondCallAfterASearchStartsWithEmptyEditsAndNoRows)
{
    const auto gridOf = [](QWidget& window) {
        return window.findChild<QAbstractScrollArea*>(QStringLiteral("DBGridEh1"));
    };
    QImage unsearched;
    ShowFormAndInspect(0, 0, [&](QWidget& window) {
        QAbstractScrollArea* grid = gridOf(window);
        ASSERT_NE(grid, nullptr);
        unsearched = grid->viewport()->grab().toImage();
        window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("1"));
        window.findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("9"));
        window.findChild<QAbstractButton*>(QStringLiteral("BitBtn1"))->click();
        QApplication::processEvents();
        // The sheets found fill more than the window: rows and a vertical bar.
        EXPECT_NE(grid->viewport()->grab().toImage(), unsearched);
        EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
    });
    ShowFormAndInspect(0, 0, [&](QWidget& window) {
        QAbstractScrollArea* grid = gridOf(window);
        ASSERT_NE(grid, nullptr);
        EXPECT_TRUE(window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text().isEmpty());
        EXPECT_TRUE(window.findChild<QLineEdit*>(QStringLiteral("Edit2"))->text().isEmpty());
        EXPECT_EQ(grid->viewport()->grab().toImage(), unsearched);
        EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
    });
}

TEST_F(ShowFormTest, ClosingTheWindowDuringASearchThenUnloadingTheModuleEndsCleanly)
{
    // Sheets that come slowly, until the switch is turned off.
    qelvor::recordset::Connection& session = connection_.AdoConnection();
    for (const char* statement :
         {"ALTER TABLE t_omr RENAME TO t_omr_rows", "CREATE TABLE slow_switch(slow INTEGER)",
          "INSERT INTO slow_switch VALUES(1)",
          "CREATE VIEW t_omr AS SELECT zkzh, ttxx, tttt, qk, lwtth FROM t_omr_rows UNION ALL "
          "SELECT printf('9%014d', i), '', '', '0', '1' FROM (WITH RECURSIVE c(i) AS (SELECT 1 WHERE "
          "(SELECT slow FROM slow_switch) UNION ALL SELECT i + 1 FROM c WHERE i < 200000000) SELECT i FROM c) "
          "WHERE i % 25000 = 0"})
        session.Execute(statement, 0, 0);
    bool closedDuringSearch = false;
    ShowFormAndInspect(0, 0, [&](QWidget& window) {
        QPointer<QWidget> form(&window);
        // The close request comes while the search waits (its progress window showing).
        QTimer::singleShot(800, [form] {
            if (form)
                form->close();
        });
        window.findChild<QAbstractButton*>(QStringLiteral("BitBtn1"))->click();
        closedDuringSearch = form && !form->isVisible();
        QApplication::processEvents();
        closedDuringSearch = closedDuringSearch || !form || !form->isVisible();
    });
    EXPECT_TRUE(closedDuringSearch) << "the close request during the search did not close the window";
    // Nothing of the module runs any more: it can go, and come back working.
    ASSERT_EQ(dlclose(module_), 0);
    module_ = dlopen(QELVOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << dlerror();
    showForm_ = reinterpret_cast<TShowFormFunction>(dlsym(module_, kShowFormName));
    ASSERT_NE(showForm_, nullptr);
    session.Execute("UPDATE slow_switch SET slow = 0", 0, 0);
    ShowFormAndInspect(0, 0, [&](QWidget& window) {
        auto* grid = window.findChild<QAbstractScrollArea*>(QStringLiteral("DBGridEh1"));
        ASSERT_NE(grid, nullptr);
        window.findChild<QAbstractButton*>(QStringLiteral("BitBtn1"))->click();
        QApplication::processEvents();
        EXPECT_TRUE(grid->verticalScrollBar()->isVisible()) << "the search after reloading the module found nothing";
    });
    EXPECT_TRUE(connection_.Connected());
}

TEST_F(ShowFormTest, DatesFormattedWhileTheWindowIsUpUseADash)
{
    // A host whose own settings left another separator in the shared runtime.
    qelvor::SetDateSeparator('/');
    const qelvor::Variant day(qelvor::DateTimeValue{45306, qelvor::DateTimeValue::Kind::Date});  // 2024-01-15
    EXPECT_EQ(day.ToString(), "2024/01/15");
    QMainWindow host;  // its settings changes would reload the separator; none comes
    host.show();
    ShowFormAndInspect(static_cast<std::uintptr_t>(host.winId()), 0, [&](QWidget&) {
        EXPECT_EQ(day.ToString(), "2024-01-15");
        EXPECT_EQ(qelvor::fieldformat::FormatDateTime("yyyy/m/d", day), "2024-1-15");
    });
    qelvor::SetDateSeparator('-');
}

}  // namespace
