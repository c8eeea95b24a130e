// The connect dialog: the connection string made from a choice, the remembered choice
// that never holds the password, the listed ODBC data sources, and the dialog itself
// (offscreen): a failing connection shows the driver's message and keeps the dialog open.
#include <QDialogButtonBox>
#include <QFile>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "data/recordset/ConnectionString.h"
#include "host/ConnectDialog.h"
#include "host/ConnectionChoice.h"
#include "host/OdbcDataSources.h"

namespace qelvor::host {
namespace {

std::string Value(const QString& connectionString, const char* key)
{
    return recordset::ConnectionString(connectionString.toStdString()).Find(key).value_or("<none>");
}

TEST(ConnectionChoiceTest, DataSourceOrTypedStringWithUserAndPassword)
{
    const QString dsn = BuildConnectionString({QStringLiteral("考务;库"), {}, QStringLiteral("kw"), QStringLiteral("p;w}d ")});
    EXPECT_EQ(Value(dsn, "DSN"), "考务;库");
    EXPECT_EQ(Value(dsn, "UID"), "kw");
    EXPECT_EQ(Value(dsn, "PWD"), "p;w}d ");  // separators and braces survive
    // The fields win over what a typed string holds; a data source wins over a typed string.
    const QString typed = BuildConnectionString({{}, QStringLiteral(" Driver={MariaDB Unicode};UID=old;PWD=old "), QStringLiteral("new"), QStringLiteral("secret")});
    EXPECT_EQ(Value(typed, "Driver"), "MariaDB Unicode");
    EXPECT_EQ(Value(typed, "UID"), "new");
    EXPECT_EQ(Value(typed, "PWD"), "secret");
    EXPECT_EQ(Value(BuildConnectionString({QStringLiteral("exams"), QStringLiteral("Driver=x"), {}, {}}), "Driver"), "<none>");
    EXPECT_TRUE(BuildConnectionString({{}, QStringLiteral("  "), QStringLiteral("u"), QStringLiteral("p")}).isEmpty());
}

TEST(ConnectionChoiceTest, TheRememberedChoiceNeverHoldsThePassword)
{
    const QString stripped = WithoutPassword(QStringLiteral("Driver={PostgreSQL Unicode};Server=h;pwd={a;b};Password=c;Uid=u"));
    EXPECT_EQ(Value(stripped, "Driver"), "PostgreSQL Unicode");
    EXPECT_EQ(Value(stripped, "Uid"), "u");
    EXPECT_EQ(Value(stripped, "PWD"), "<none>");
    EXPECT_EQ(Value(stripped, "Password"), "<none>");
    EXPECT_TRUE(WithoutPassword(QStringLiteral("Driver={unterminated;PWD=x")).isEmpty());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("host.ini"));
    {
        QSettings settings(file, QSettings::IniFormat);
        RememberChoice(settings, {{}, QStringLiteral("Driver=d;Server=s;PWD=topsecret1"), QStringLiteral("kw"), QStringLiteral("topsecret2")});
        const ConnectionChoice back = RememberedChoice(settings);
        EXPECT_EQ(Value(back.connectionString, "Server"), "s");
        EXPECT_EQ(back.user, "kw");
        EXPECT_TRUE(back.password.isEmpty());
    }
    QFile stored(file);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray text = stored.readAll();
    EXPECT_FALSE(text.contains("topsecret")) << text.constData();
}

TEST(OdbcDataSourcesTest, UserSourcesFromTheDriverManager)
{
    QTemporaryDir dir;
    const std::string ini = dir.filePath(QStringLiteral("odbc.ini")).toStdString();
    std::ofstream(ini) << "[QelvorExams]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\n"
                          "[考试库PG]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\n";
    setenv("ODBCINI", ini.c_str(), 1);
    const std::vector<OdbcDataSource> sources = ListOdbcDataSources();
    unsetenv("ODBCINI");
    const auto found = std::find_if(sources.begin(), sources.end(), [](const OdbcDataSource& source) {
        return source.name == QLatin1String("QelvorExams");
    });
    ASSERT_NE(found, sources.end());
    EXPECT_FALSE(found->system);
    EXPECT_EQ(found->description, "PostgreSQL Unicode");
    // A name in Chinese, as an examination office calls its databases, reads as written.
    EXPECT_TRUE(std::any_of(sources.begin(), sources.end(), [](const OdbcDataSource& source) {
        return source.name == QString::fromUtf8("考试库PG");
    }));
}

class ConnectDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QSettings settings_{dir_.filePath(QStringLiteral("host.ini")), QSettings::IniFormat};
    std::vector<OdbcDataSource> sources_ = {{QStringLiteral("exams"), QStringLiteral("PostgreSQL Unicode"), true},
                                            {QStringLiteral("local"), QStringLiteral("MariaDB Unicode"), false}};

    template <typename T>
    static T* Child(const QDialog& dialog, const char* name)
    {
        T* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
};

TEST_F(ConnectDialogTest, ListsSourcesAndAsksForThePasswordWithoutEcho)
{
    ConnectDialog dialog(settings_, sources_);
    auto* list = Child<QListWidget>(dialog, "sourceList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().contains(QStringLiteral("exams")));
    EXPECT_TRUE(list->item(0)->text().contains(QString::fromUtf8("系统")));
    EXPECT_TRUE(list->item(1)->text().contains(QString::fromUtf8("用户")));
    auto* password = Child<QLineEdit>(dialog, "passwordEdit");
    password->setText(QStringLiteral("geheim"));
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(password->displayText().contains(QStringLiteral("geheim")));

    // Picking a source replaces a typed string, and typing replaces the pick.
    auto* typed = Child<QLineEdit>(dialog, "connectionStringEdit");
    typed->setText(QStringLiteral("Driver=x"));
    list->setCurrentRow(1);
    EXPECT_TRUE(typed->text().isEmpty());
    EXPECT_EQ(Value(dialog.ChosenConnectionString(), "DSN"), "local");
    EXPECT_EQ(Value(dialog.ChosenConnectionString(), "PWD"), "geheim");
    typed->setFocus();
    typed->clear();
    QTest::keyClicks(typed, QStringLiteral("Driver=y"));
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_EQ(Value(dialog.ChosenConnectionString(), "Driver"), "y");
}

TEST_F(ConnectDialogTest, AFailedConnectionShowsTheDriversMessageAndStaysOpen)
{
    ConnectDialog dialog(settings_, sources_);
    dialog.show();
    Child<QLineEdit>(dialog, "connectionStringEdit")->setText(QStringLiteral("Driver={No Such Qelvor Driver};Server=x"));
    Child<QLineEdit>(dialog, "passwordEdit")->setText(QStringLiteral("pw"));
    Child<QPushButton>(dialog, "testButton")->click();
    const QString status = Child<QLabel>(dialog, "statusLabel")->text();
    EXPECT_TRUE(status.contains(QStringLiteral("No Such Qelvor Driver")) || status.contains(QStringLiteral("IM002")))
        << status.toStdString();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(RememberedChoice(settings_).connectionString.isEmpty()) << "a failed choice is not remembered";
}

// A file that is no database fails the test and is not taken: SQLite reads the file only
// when asked for something, so a test that only opened it would say it connected.
TEST_F(ConnectDialogTest, AFileThatIsNoDatabaseFailsTheTest)
{
    const QString file = dir_.filePath(QStringLiteral("services"));
    std::ofstream(file.toStdString()) << std::string(4000, '#') << "\nftp 21/tcp\nssh 22/tcp\n";
    ConnectDialog dialog(settings_, sources_);
    dialog.show();
    Child<QLineEdit>(dialog, "connectionStringEdit")->setText(QStringLiteral("Provider=SQLite;Data Source=") + file);
    EXPECT_FALSE(dialog.TestConnection());
    const QString status = Child<QLabel>(dialog, "statusLabel")->text();
    EXPECT_TRUE(status.startsWith(QString::fromUtf8("连接失败："))) << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("not a database"))) << status.toStdString();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(RememberedChoice(settings_).connectionString.isEmpty());
}

// No control moves when a message shows, grows to two lines or more, or changes: a click
// aimed at a field before the message lands on it after.
TEST_F(ConnectDialogTest, TheControlsKeepTheirPlacesWhateverMessageShows)
{
    ConnectDialog dialog(settings_, sources_);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const std::vector<QWidget*> controls = {Child<QListWidget>(dialog, "sourceList"), Child<QLineEdit>(dialog, "connectionStringEdit"),
                                            Child<QLineEdit>(dialog, "userEdit"), Child<QLineEdit>(dialog, "passwordEdit"),
                                            Child<QPushButton>(dialog, "testButton")};
    const auto places = [&] {
        QCoreApplication::processEvents();
        std::vector<QRect> rects;
        for (QWidget* control : controls)
            rects.push_back(QRect(control->mapTo(&dialog, QPoint(0, 0)), control->size()));
        return rects;
    };
    const std::vector<QRect> before = places();
    auto* status = Child<QLabel>(dialog, "statusLabel");
    const int line = status->fontMetrics().lineSpacing();
    const QString word = QString::fromUtf8("连接失败：");
    for (const int length : {1, 40, 120, 400, 3000}) {
        QString text;
        while (status->fontMetrics().horizontalAdvance(text) < length * status->fontMetrics().averageCharWidth())
            text += word;
        status->setText(text);
        EXPECT_EQ(places(), before) << "a message of " << length << " characters";
    }
    status->setText(QString::fromUtf8("请选择一个数据源或输入连接字符串。\n第二行"));
    EXPECT_EQ(places(), before);
    EXPECT_GE(status->parentWidget()->height(), 2 * line) << "two lines show without scrolling";
    Child<QLineEdit>(dialog, "connectionStringEdit")->setText(QStringLiteral("Driver={No Such Qelvor Driver};Server=x"));
    dialog.TestConnection();
    EXPECT_EQ(places(), before) << "the driver's message";
    status->clear();
    EXPECT_EQ(places(), before);
}

TEST_F(ConnectDialogTest, AWorkingChoiceIsAcceptedAndRememberedWithoutPassword)
{
    const QString file = dir_.filePath(QStringLiteral("exams.db"));
    std::ofstream(file.toStdString());  // an empty file is an empty SQLite database
    const QString typed = QStringLiteral("Provider=SQLite;Data Source=") + file;
    {
        ConnectDialog dialog(settings_, sources_);
        dialog.show();
        Child<QLineEdit>(dialog, "connectionStringEdit")->setText(typed);
        Child<QLineEdit>(dialog, "userEdit")->setText(QStringLiteral("kw"));
        Child<QLineEdit>(dialog, "passwordEdit")->setText(QStringLiteral("pw-not-kept"));
        EXPECT_TRUE(dialog.TestConnection());
        EXPECT_EQ(Child<QLabel>(dialog, "statusLabel")->text(), QString::fromUtf8("连接成功。"));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    // The next dialog starts from the remembered choice, without the password.
    ConnectDialog again(settings_, sources_);
    EXPECT_EQ(Value(Child<QLineEdit>(again, "connectionStringEdit")->text(), "Data Source"), file.toStdString());
    EXPECT_EQ(Child<QLineEdit>(again, "userEdit")->text(), "kw");
    EXPECT_TRUE(Child<QLineEdit>(again, "passwordEdit")->text().isEmpty());

    // A remembered data source is picked again.
    RememberChoice(settings_, {QStringLiteral("local"), {}, {}, {}});
    ConnectDialog third(settings_, sources_);
    EXPECT_EQ(Child<QListWidget>(third, "sourceList")->currentRow(), 1);
}

TEST_F(ConnectDialogTest, OffersTheEncryptionModeAndAuthorityAndRemembersThem)
{
    const QString file = dir_.filePath(QStringLiteral("exams.db"));
    std::ofstream(file.toStdString());
    const QString authority = dir_.filePath(QStringLiteral("考务 CA;1.crt"));
    {
        ConnectDialog dialog(settings_, sources_);
        auto* mode = Child<QComboBox>(dialog, "encryptBox");
        ASSERT_EQ(mode->currentData().toString(), QString()) << "the provider's default unless chosen";
        EXPECT_NE(Child<QPushButton>(dialog, "caFileButton"), nullptr) << "the authority's file has a chooser";
        mode->setCurrentIndex(mode->findData(QStringLiteral("verify-ca")));
        Child<QLineEdit>(dialog, "caFileEdit")->setText(authority);
        Child<QLineEdit>(dialog, "passwordEdit")->setText(QStringLiteral("pw-not-kept"));
        // SQLite reads neither key; a local file says nothing about encryption.
        Child<QLineEdit>(dialog, "connectionStringEdit")->setText(QStringLiteral("Provider=SQLite;Data Source=") + file);
        EXPECT_EQ(Value(dialog.ChosenConnectionString(), "Encrypt"), "verify-ca");
        EXPECT_EQ(Value(dialog.ChosenConnectionString(), "CA File"), authority.toStdString());
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(Child<QLabel>(dialog, "statusLabel")->text(), QString::fromUtf8("连接成功。"));
    }
    ConnectDialog again(settings_, sources_);
    EXPECT_EQ(Child<QComboBox>(again, "encryptBox")->currentData().toString(), QStringLiteral("verify-ca"));
    EXPECT_EQ(Child<QLineEdit>(again, "caFileEdit")->text(), authority);
    EXPECT_TRUE(Child<QLineEdit>(again, "passwordEdit")->text().isEmpty());
    QFile stored(dir_.filePath(QStringLiteral("host.ini")));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_FALSE(stored.readAll().contains("pw-not-kept"));
}

}  // namespace
}  // namespace qelvor::host
