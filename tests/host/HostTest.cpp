// The host program: its command line, loading modules that are missing or wrong,
// the demo database, and whole runs of qelvor-host that must end cleanly.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "host/DemoDatabase.h"
#include "host/HostOptions.h"
#include "host/ModuleLoader.h"
#include "runtime/Exceptions.h"

namespace qelvor::host {
namespace {

std::optional<HostOptions> Parse(QStringList arguments, QString& error)
{
    bool help = false;
    arguments.prepend(QStringLiteral("qelvor-host"));
    return ParseHostOptions(arguments, error, help);
}

TEST(HostOptionsTest, DefaultsAndEveryOption)
{
    QString error;
    const auto defaults = Parse({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->demoRows, kDefaultDemoRows);
    EXPECT_FALSE(defaults->browse);
    EXPECT_TRUE(defaults->connectionString.isEmpty());
    EXPECT_FALSE(defaults->highContrast);

    const auto all = Parse({"--module", "/m.so", "--connect", "DSN=x;Uid=a", "--demo-rows", "10", "--screenshot", "s.png",
                            "--high-contrast"}, error);
    ASSERT_TRUE(all) << error.toStdString();
    EXPECT_EQ(all->modulePath, "/m.so");
    EXPECT_EQ(all->connectionString, "DSN=x;Uid=a");
    EXPECT_EQ(all->demoRows, 10);
    EXPECT_TRUE(all->browse);  // a screenshot needs the window
    EXPECT_EQ(all->screenshotPath, "s.png");
    EXPECT_TRUE(all->highContrast);
}

TEST(HostOptionsTest, UsageErrorsAreReportedNotGuessed)
{
    QString error;
    EXPECT_FALSE(Parse({"--demo-rows", "many"}, error));
    EXPECT_TRUE(error.contains("many"));
    EXPECT_FALSE(Parse({"--demo-rows", "-5"}, error));
    EXPECT_FALSE(Parse({"--demo-rows", "100000001"}, error)) << "more than a demo database holds";
    EXPECT_FALSE(Parse({"--demo-rows", "99999999999999999999"}, error));
    const auto empty = Parse({"--demo-rows", "0"}, error);
    ASSERT_TRUE(empty) << "an empty demo database is valid: " << error.toStdString();
    EXPECT_EQ(empty->demoRows, 0);
    EXPECT_FALSE(Parse({"--frobnicate"}, error));
    EXPECT_FALSE(Parse({"stray"}, error));
    EXPECT_FALSE(Parse({"--connect"}, error));
}

// A file to be written in a folder that does not exist is refused, not made on the way.
TEST(HostOptionsTest, FilesToWriteNeedAnExistingFolder)
{
    QTemporaryDir dir;
    QString error;
    for (const char* option : {"--make-demo", "--screenshot"}) {
        EXPECT_FALSE(Parse({option, dir.filePath("missing/x")}, error)) << option;
        EXPECT_TRUE(error.contains(option) && error.contains(dir.filePath("missing")) && error.contains("does not exist"))
            << error.toStdString();
        EXPECT_FALSE(Parse({option, dir.path()}, error)) << option << ": a folder";
        EXPECT_TRUE(Parse({option, dir.filePath("x")}, error)) << option << ": " << error.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
}

TEST(ModuleLoaderTest, MissingAndWrongModulesAreClearFailures)
{
    const auto failure = [](const QString& path) {
        try {
            ModuleLoader loader(path);
        } catch (const Exception& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_NE(failure("/nonexistent/libQELVORDLL.so").find("does not exist"), std::string::npos);
    // A real library without the two exports.
    EXPECT_NE(failure(QELVOR_RUNTIME_PATH).find("does not export GetVersion and ShowForm"), std::string::npos);
    QTemporaryDir dir;
    const QString notALibrary = dir.filePath("libQELVORDLL.so");
    QFile file(notALibrary);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library");
    file.close();
    EXPECT_NE(failure(notALibrary).find("Cannot load the module"), std::string::npos);
    ModuleLoader loader(QELVOR_MODULE_PATH);
    EXPECT_STREQ(loader.GetVersion()(), "3.00");
}

TEST(DemoDatabaseTest, MadeCompleteOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/folder/demo.db");
    std::int64_t lastDone = -1;
    MakeDemoDatabase(path, 120, [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, 120);
        lastDone = done;
    });
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QDir(dir.filePath("sub/folder")).entryList(QDir::Files | QDir::Hidden), QStringList{"demo.db"})
        << "no partial file left beside it";
    EXPECT_EQ(lastDone, 120);
    // A folder that cannot be made: a message naming it, no file left behind.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(MakeDemoDatabase(dir.filePath("blocker/demo.db"), 10), Exception);
    EXPECT_EQ(SqliteConnectionString("/x/y.db"), "Provider=SQLite;Data Source=/x/y.db");
}

// Runs qelvor-host offscreen with a private data folder; returns its exit code.
int RunHost(const QStringList& arguments, QString& output, const QString& dataHome)
{
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_DATA_HOME", dataHome);
    host.setProcessEnvironment(environment);
    host.setProcessChannelMode(QProcess::MergedChannels);
    host.start(QELVOR_HOST_PATH, arguments);
    if (!host.waitForFinished(60000)) {
        host.kill();
        host.waitForFinished();
        output = "timed out: " + QString::fromLocal8Bit(host.readAll());
        return -1;
    }
    output = QString::fromLocal8Bit(host.readAll());
    return host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -2;
}

TEST(HostProgramTest, ScreenshotOfTheBrowseWindowOnANewDemoDatabase)
{
    QTemporaryDir dir;
    const QString shot = dir.filePath("browse.png");
    QString output;
    ASSERT_EQ(RunHost({"--demo-rows", "200", "--screenshot", shot}, output, dir.path()), 0) << output.toStdString();
    const QImage image(shot);
    EXPECT_EQ(image.size(), QSize(659, 378));
    EXPECT_TRUE(QFile::exists(dir.filePath("qelvor-host/demo.db")));

    // In high contrast the form, the panel and the grid are black with white text.
    const QString dark = dir.filePath("dark.png");
    ASSERT_EQ(RunHost({"--demo-rows", "200", "--high-contrast", "--screenshot", dark}, output, dir.path()), 0)
        << output.toStdString();
    const QImage darkImage = QImage(dark).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(darkImage.size(), QSize(659, 378));
    int black = 0;
    int white = 0;
    for (int y = 0; y < darkImage.height(); ++y)
        for (int x = 0; x < darkImage.width(); ++x) {
            const QRgb pixel = darkImage.pixel(x, y);
            black += pixel == qRgb(0, 0, 0) ? 1 : 0;
            white += pixel == qRgb(255, 255, 255) ? 1 : 0;
        }
    const int all = darkImage.width() * darkImage.height();
    EXPECT_GT(black, all * 3 / 4);
    EXPECT_GT(white, all / 100);
}

TEST(HostProgramTest, FailuresAreMessagesAndAnExitCodeNeverACrash)
{
    QTemporaryDir dir;
    QString output;
    EXPECT_EQ(RunHost({"--module", dir.filePath("missing.so"), "--screenshot", dir.filePath("a.png")}, output, dir.path()), 1);
    EXPECT_TRUE(output.contains("does not exist")) << output.toStdString();

    EXPECT_EQ(RunHost({"--module", QELVOR_RUNTIME_PATH, "--screenshot", dir.filePath("b.png")}, output, dir.path()), 1);
    EXPECT_TRUE(output.contains("does not export")) << output.toStdString();

    // A connection string no provider accepts: reported, and the window still opens.
    EXPECT_EQ(RunHost({"--connect", "Provider=Nothing;Data Source=x", "--screenshot", dir.filePath("c.png")}, output, dir.path()), 1);
    EXPECT_TRUE(output.contains("Cannot open the database")) << output.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("c.png")));

    EXPECT_EQ(RunHost({"--connect", "Provider=SQLite;Data Source=/nonexistent/folder/x.db", "--screenshot", dir.filePath("d.png")},
                      output, dir.path()), 1);
    EXPECT_EQ(output.count("Cannot open the database"), 1) << "said once: " << output.toStdString();
    EXPECT_TRUE(output.contains("/nonexistent/folder/x.db")) << output.toStdString();

    EXPECT_EQ(RunHost({"--demo-rows", "lots"}, output, dir.path()), 2);
}

// The password comes from a file only its owner can read, and never shows in the process
// list: the command line names the file, not the password.
TEST(HostProgramTest, APasswordFileOthersCanReadIsRefused)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(Parse({"--password-file", dir.filePath("p")}, error)) << "nothing to give the password to";
    EXPECT_TRUE(error.contains("--connect")) << error.toStdString();
    const auto parsed = Parse({"--connect", "DSN=x", "--password-file", dir.filePath("p")}, error);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->passwordFile, dir.filePath("p"));
    EXPECT_TRUE(parsed->password.isEmpty()) << "read at start-up, not from the command line";

    const QString database = dir.filePath("exam.db");
    MakeDemoDatabase(database, 10);
    QFile file(dir.filePath("password"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("topsecret\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    QString output;
    const QStringList arguments = {"--connect", SqliteConnectionString(database), "--password-file", file.fileName(),
                                   "--screenshot", dir.filePath("e.png")};
    EXPECT_EQ(RunHost(arguments, output, dir.path()), 1);
    EXPECT_TRUE(output.contains("can be read or changed by other users")) << output.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("e.png"))) << "refused before anything starts";

    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(RunHost(arguments, output, dir.path()), 0) << output.toStdString();
    EXPECT_FALSE(output.contains("topsecret"));
}

TEST(HostProgramTest, HelpNamesTheProgram)
{
    QTemporaryDir dir;
    QString output;
    ASSERT_EQ(RunHost({"--help"}, output, dir.path()), 0) << output.toStdString();
    EXPECT_TRUE(output.startsWith("Usage: qelvor-host [options]\n")) << output.toStdString();
    EXPECT_FALSE(output.contains("executable")) << output.toStdString();
    EXPECT_TRUE(output.contains("--connect <STRING>")) << output.toStdString();
    // A refused command line ends with the same text.
    EXPECT_EQ(RunHost({"--frobnicate"}, output, dir.path()), 2);
    EXPECT_TRUE(output.contains("Usage: qelvor-host [options]\n")) << output.toStdString();
}

TEST(HostProgramTest, MakeDemoWritesTheDatabaseAndExits)
{
    QTemporaryDir dir;
    QString output;
    ASSERT_EQ(RunHost({"--make-demo", dir.filePath("made.db"), "--demo-rows", "30"}, output, dir.path()), 0) << output.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("made.db")));
    ASSERT_EQ(RunHost({"--make-demo", dir.filePath("empty.db"), "--demo-rows", "0"}, output, dir.path()), 0)
        << output.toStdString();
    EXPECT_TRUE(output.contains("with 0 answer sheets")) << output.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("empty.db")));
}

// A mistyped folder ends the run with a usage error before anything is made.
TEST(HostProgramTest, AFileToWriteInAMissingFolderIsRefusedUpFront)
{
    QTemporaryDir dir;
    QString output;
    EXPECT_EQ(RunHost({"--make-demo", dir.filePath("missing/made.db")}, output, dir.path()), 2);
    EXPECT_TRUE(output.contains("does not exist")) << output.toStdString();
    EXPECT_EQ(RunHost({"--demo-rows", "10", "--screenshot", dir.filePath("missing/shot.png")}, output, dir.path()), 2);
    EXPECT_TRUE(output.contains("does not exist")) << output.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
    EXPECT_FALSE(QFile::exists(dir.filePath("qelvor-host/demo.db"))) << "no demo database made for a refused run";
}

}  // namespace
}  // namespace qelvor::host
