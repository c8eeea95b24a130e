// Resource use over time: many open/close cycles of the dataset and many ShowForm
// calls in one process leave resident memory, file descriptors and Qt objects where
// they were after a short warm-up (caches of fonts, glyphs and the collator fill once).
// The figures are printed so that a run's log shows them.
#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "module/ModuleInterface.h"
#include "sampledata/SampleDatabase.h"
#include "tests/support/SanitizerBuild.h"

namespace qelvor::test {
namespace {

struct Usage {
    long residentKiB = 0;
    int descriptors = 0;
    int widgets = 0;
    int objects = 0;  // the application object's descendants
};

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

int OpenDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count - 1;  // the listing's own descriptor
}

Usage Measure()
{
    // Deferred deletions and queued work run first, as the event loop would run them.
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    return {ResidentKiB(), OpenDescriptors(), static_cast<int>(QApplication::allWidgets().size()),
            static_cast<int>(qApp->findChildren<QObject*>().size())};
}

void Print(const char* what, const Usage& before, const Usage& after)
{
    std::printf("%s: resident %ld -> %ld KiB (%+ld), descriptors %d -> %d, widgets %d -> %d, objects %d -> %d\n", what,
                before.residentKiB, after.residentKiB, after.residentKiB - before.residentKiB, before.descriptors,
                after.descriptors, before.widgets, after.widgets, before.objects, after.objects);
}

void ExpectUnchanged(const Usage& before, const Usage& after, long residentSlackKiB)
{
    // Under the address sanitizer freed blocks wait in its quarantine; its leak check
    // stands in for this bound there.
    if (!kAddressSanitizer) {
        EXPECT_LE(after.residentKiB - before.residentKiB, residentSlackKiB);
    }
    EXPECT_EQ(after.descriptors, before.descriptors);
    EXPECT_EQ(after.widgets, before.widgets);
    EXPECT_EQ(after.objects, before.objects);
}

class ResourceUseTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = dir_.filePath(QStringLiteral("demo.db")).toStdString();
        CreateSampleDatabase(path, 3000, 9);
        connection_.SetConnectionString("Provider=SQLite;Data Source=" + path);
        connection_.Open();
    }

    QTemporaryDir dir_;
    TADOConnection connection_{"HostConnection"};
};

TEST_F(ResourceUseTest, AThousandOpenCloseCyclesOfTheDatasetLeaveNothingBehind)
{
    TADODataSet dataSet("QELV_Set");
    TDataSource source;
    source.SetDataSet(&dataSet);
    dataSet.SetConnection(&connection_);
    dataSet.SetCommandText("select a.zkzh 准考证号, b.xm 姓名, a.ttxx from t_omr a left join t_bm b on a.zkzh=b.zkzh");
    auto cycle = [&] {
        dataSet.Open();
        dataSet.SetSort("姓名 DESC");
        dataSet.Last();
        dataSet.Close();
    };
    for (int i = 0; i < 20; ++i)
        cycle();
    const Usage before = Measure();
    for (int i = 0; i < 1000; ++i)
        cycle();
    const Usage after = Measure();
    Print("1000 dataset cycles", before, after);
    ExpectUnchanged(before, after, 2048);
}

TEST_F(ResourceUseTest, FiftyShowFormCallsWithASearchEachLeaveNothingBehind)
{
    void* module = dlopen(QELVOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto showForm = reinterpret_cast<TShowFormFunction>(dlsym(module, kShowFormName));
    ASSERT_NE(showForm, nullptr);
    int searched = 0;
    // Inside the modal loop: press the search button, then close the window.
    std::function<void()> searchAndClose = [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible()) {
            QTimer::singleShot(5, searchAndClose);
            return;
        }
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->objectName() == QLatin1String("BitBtn1")) {
                button->click();
                ++searched;
            }
        }
        window->close();
    };
    auto call = [&] {
        QTimer::singleShot(0, searchAndClose);
        showForm(0, 0, 0, 0, 0, 0, 0, &connection_);
    };
    for (int i = 0; i < 3; ++i)
        call();
    const Usage before = Measure();
    for (int i = 0; i < 50; ++i)
        call();
    const Usage after = Measure();
    Print("50 ShowForm calls", before, after);
    EXPECT_EQ(searched, 53);
    ExpectUnchanged(before, after, 4096);
    EXPECT_TRUE(connection_.ClientDataSets().empty());
}

}  // namespace
}  // namespace qelvor::test
