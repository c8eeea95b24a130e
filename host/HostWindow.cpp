#include "host/HostWindow.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <cstdio>
#include <exception>

#include "data/ADOConnection.h"
#include "data/recordset/Connection.h"
#include "data/recordset/LinkSecurity.h"
#include "data/recordset/Password.h"
#include "platform/LongWorkWindow.h"
#include "host/BrowseWindowCapture.h"
#include "host/ConnectDialog.h"
#include "host/DemoDatabase.h"
#include "host/ModuleLoader.h"

namespace qelvor::host {

namespace {

const QString kBrowseCaption = QString::fromUtf8("卷面信息浏览");

}  // namespace

HostWindow::HostWindow(HostOptions options)
    : options_(std::move(options)), longWork_(std::make_unique<TLongWorkWindowScope>())
{
    setWindowTitle(QString::fromUtf8("考务管理"));
    resize(640, 400);
    browseAction_ = new QAction(kBrowseCaption, this);
    browseAction_->setEnabled(false);
    connect(browseAction_, &QAction::triggered, this, &HostWindow::OpenBrowseWindow);
    connectAction_ = new QAction(QString::fromUtf8("连接数据库(&C)…"), this);
    connect(connectAction_, &QAction::triggered, this, &HostWindow::ConnectToDatabase);
    menuBar()->addMenu(QString::fromUtf8("数据库(&D)"))->addAction(connectAction_);
    menuBar()->addMenu(QString::fromUtf8("卷面处理"))->addAction(browseAction_);
    QToolBar* toolBar = addToolBar(QString::fromUtf8("卷面处理"));
    toolBar->addAction(connectAction_);
    toolBar->addAction(browseAction_);
    auto* placeholder = new QLabel(QString::fromUtf8("考务管理系统"), this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
    // The module's state keeps its place at the right; the message names the database.
    moduleState_ = new QLabel(QStringLiteral("No module loaded"), this);
    linkState_ = new QLabel(this);
    linkState_->setObjectName(QStringLiteral("linkState"));
    statusBar()->addPermanentWidget(moduleState_);
    statusBar()->insertPermanentWidget(0, linkState_);
}

HostWindow::~HostWindow() = default;

void HostWindow::Start()
{
    OpenDatabase();
    LoadModule();
    if (!options_.browse)
        return;
    if (Unattended()) {
        RunBrowseWindowOnce();
        return;
    }
    if (browseAction_->isEnabled())
        OpenBrowseWindow();
}

bool HostWindow::Connect(TADOConnection& connection)
{
    bool askedPassword = false;
    for (;;) {
        try {
            connection.Open();
            return true;
        } catch (const recordset::EPasswordNeeded& error) {
            // Asked once: a password the server refuses is reported like any failure.
            if (Unattended() || askedPassword || !AskPassword(connection, QString::fromUtf8(error.what()))) {
                ReportError(QStringLiteral("Cannot open the database: ") + QString::fromUtf8(error.what()));
                return false;
            }
            askedPassword = true;
        } catch (const EWorkCancelled&) {
            return false;  // the user cancelled: nothing to report
        } catch (const std::exception& error) {
            const QString message = QString::fromUtf8(error.what());
            const QString start = QStringLiteral("Cannot open the database");
            ReportError(message.startsWith(start) ? message : start + QStringLiteral(": ") + message);
            return false;
        }
    }
}

bool HostWindow::AskPassword(TADOConnection& connection, const QString& serverMessage)
{
    bool given = false;
    const QString password =
        QInputDialog::getText(this, windowTitle(), QString::fromUtf8("服务器要求密码：\n%1").arg(serverMessage),
                              QLineEdit::Password, QString(), &given);
    if (!given || password.isEmpty())
        return false;
    connection.SetConnectionString(recordset::WithPassword(connection.ConnectionString(), password.toStdString()));
    return true;
}

void HostWindow::ShowConnectionState(const QString& description)
{
    auto* placeholder = static_cast<QLabel*>(centralWidget());
    placeholder->setText(connection_ ? QString::fromUtf8("考务管理系统")
                                     : QString::fromUtf8("考务管理系统\n\n未连接数据库：请用“连接数据库”选择一个数据库。"));
    browseAction_->setEnabled(module_ != nullptr && connection_ != nullptr);
    linkState_->setText(connection_ && connection_->Connected()
                            ? QString::fromStdString(recordset::DescribeLinkSecurity(connection_->AdoConnection().Security()))
                            : QString());
    if (!description.isEmpty())
        statusBar()->showMessage(description);
}

void HostWindow::ReportError(const QString& message)
{
    failed_ = true;
    std::fprintf(stderr, "qelvor-host: %s\n", message.toLocal8Bit().constData());
    if (!Unattended())
        QMessageBox::critical(this, windowTitle(), message);
}

void HostWindow::LoadModule()
{
    const QString path =
        options_.modulePath.isEmpty() ? ModuleLoader::DefaultPath(QCoreApplication::applicationDirPath()) : options_.modulePath;
    try {
        module_ = std::make_unique<ModuleLoader>(path);
    } catch (const std::exception& error) {
        ReportError(QString::fromUtf8(error.what()));
        return;
    }
    moduleState_->setText(
        QStringLiteral("%1 version %2").arg(QFileInfo(path).fileName(), QString::fromLatin1(module_->GetVersion()())));
    ShowConnectionState({});
}

void HostWindow::OpenDatabase()
{
    auto connection = std::make_unique<TADOConnection>("HostConnection");
    const QString text = ConnectionString();
    connection->SetConnectionString(text.toStdString());
    statusBar()->showMessage(QString::fromUtf8("正在连接：") + WithoutPassword(text));
    // Without a connection there is nothing to browse: the window says so instead.
    if (Connect(*connection))
        connection_ = std::move(connection);
    ShowConnectionState(connection_ ? QString::fromUtf8("已连接：") + WithoutPassword(text)
                                    : QString::fromUtf8("未连接数据库"));
}

QString HostWindow::ConnectionString()
{
    if (!options_.connectionString.isEmpty() && !options_.password.isEmpty()) {
        try {
            return QString::fromStdString(
                recordset::WithPassword(options_.connectionString.toStdString(), options_.password.toStdString()));
        } catch (const std::exception&) {
            // Not a string that can be read: the connect says what is wrong with it.
        }
    }
    if (!options_.connectionString.isEmpty())
        return options_.connectionString;
    const QString path = DemoDatabasePath();
    if (!QFileInfo::exists(path))
        MakeDemoDatabaseWithProgress(path);
    return SqliteConnectionString(path);
}

void HostWindow::MakeDemoDatabaseWithProgress(const QString& path)
{
    const QString label = QStringLiteral("Making the demo database (%1 answer sheets)…").arg(options_.demoRows);
    statusBar()->showMessage(label);
    std::unique_ptr<QProgressDialog> dialog;
    if (Unattended()) {
        std::printf("%s\n", label.toLocal8Bit().constData());
        std::fflush(stdout);
    } else {
        dialog = std::make_unique<QProgressDialog>(label, QString(), 0, 100, this);
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setMinimumDuration(300);
    }
    MakeDemoDatabase(path, options_.demoRows, [&](std::int64_t done, std::int64_t total) {
        if (dialog && total > 0)
            dialog->setValue(static_cast<int>(done * 100 / total));
        QCoreApplication::processEvents();
    });
    statusBar()->clearMessage();
}

void HostWindow::OpenBrowseWindow()
{
    if (!module_)
        return;
    try {
        module_->ShowForm()(static_cast<std::uintptr_t>(winId()), 0, 0, 0, 0, 0, 0, connection_.get());
    } catch (const std::exception& error) {
        ReportError(QStringLiteral("The browse window failed: %1").arg(QString::fromUtf8(error.what())));
    }
}

void HostWindow::ConnectToDatabase()
{
    QSettings settings(QStringLiteral("qelvor"), QStringLiteral("qelvor-host"));
    ConnectDialog dialog(settings, ListOdbcDataSources(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    auto connection = std::make_unique<TADOConnection>("HostConnection");
    connection->SetConnectionString(dialog.ChosenConnectionString().toStdString());
    // The dialog connected a moment ago: a failure now means the server went away since.
    // The old connection stays.
    if (!Connect(*connection))
        return;
    connection_ = std::move(connection);
    ShowConnectionState(QString::fromUtf8("已连接：") + WithoutPassword(dialog.ChosenConnectionString()));
}

void HostWindow::RunBrowseWindowOnce()
{
    if (module_) {
        BrowseWindowCapture capture(options_.screenshotPath, kBrowseCaption);
        OpenBrowseWindow();
        if (!capture.Written())
            ReportError(capture.Failure().isEmpty() ? QStringLiteral("The browse window closed before it was captured")
                                                    : capture.Failure());
        else
            std::printf("Wrote %s\n", options_.screenshotPath.toLocal8Bit().constData());
    }
    QCoreApplication::exit(failed_ ? 1 : 0);
}

}  // namespace qelvor::host
