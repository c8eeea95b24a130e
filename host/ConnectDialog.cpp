#include "host/ConnectDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "data/recordset/Connection.h"
#include "runtime/LongWork.h"

namespace qelvor::host {

namespace {

QString SourceLabel(const OdbcDataSource& source)
{
    return QStringLiteral("%1 — %2 (%3)")
        .arg(source.name, source.description, source.system ? QString::fromUtf8("系统") : QString::fromUtf8("用户"));
}

}  // namespace

ConnectDialog::ConnectDialog(QSettings& settings, std::vector<OdbcDataSource> sources, QWidget* parent)
    : QDialog(parent), settings_(settings), sources_(std::move(sources))
{
    setWindowTitle(QString::fromUtf8("连接数据库"));
    sourceList_ = new QListWidget(this);
    sourceList_->setObjectName(QStringLiteral("sourceList"));
    for (const OdbcDataSource& source : sources_)
        sourceList_->addItem(SourceLabel(source));
    stringEdit_ = new QLineEdit(this);
    stringEdit_->setObjectName(QStringLiteral("connectionStringEdit"));
    stringEdit_->setPlaceholderText(QStringLiteral("Provider=PostgreSQL;Server=…;Database=…  /  Provider=MariaDB;Server=…;Database=…  /  Driver={…};…  /  "
                                                  "Provider=SQLite;Data Source=…"));
    userEdit_ = new QLineEdit(this);
    userEdit_->setObjectName(QStringLiteral("userEdit"));
    passwordEdit_ = new QLineEdit(this);
    passwordEdit_->setObjectName(QStringLiteral("passwordEdit"));
    passwordEdit_->setEchoMode(QLineEdit::Password);
    encryptBox_ = new QComboBox(this);
    encryptBox_->setObjectName(QStringLiteral("encryptBox"));
    // The item's data is the Encrypt= value; the first leaves the provider's default.
    encryptBox_->addItem(QString::fromUtf8("默认（由驱动决定）"), QString());
    encryptBox_->addItem(QString::fromUtf8("不加密 (off)"), QStringLiteral("off"));
    encryptBox_->addItem(QString::fromUtf8("可加密时加密 (prefer)"), QStringLiteral("prefer"));
    encryptBox_->addItem(QString::fromUtf8("必须加密，不验证服务器 (require)"), QStringLiteral("require"));
    encryptBox_->addItem(QString::fromUtf8("加密并验证证书颁发机构 (verify-ca)"), QStringLiteral("verify-ca"));
    encryptBox_->addItem(QString::fromUtf8("加密并验证机构和主机名 (verify-full)"), QStringLiteral("verify-full"));
    caFileEdit_ = new QLineEdit(this);
    caFileEdit_->setObjectName(QStringLiteral("caFileEdit"));
    caFileEdit_->setPlaceholderText(QString::fromUtf8("证书颁发机构的证书文件（PEM）"));
    auto* caFileButton = new QPushButton(QString::fromUtf8("浏览…"), this);
    caFileButton->setObjectName(QStringLiteral("caFileButton"));
    caFileButton->setAutoDefault(false);
    connect(caFileButton, &QPushButton::clicked, this, &ConnectDialog::ChooseCaFile);
    auto* caFileRow = new QHBoxLayout;
    caFileRow->addWidget(caFileEdit_);
    caFileRow->addWidget(caFileButton);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // One choice at a time: picking a source clears a typed string and typing clears the pick.
    connect(sourceList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            stringEdit_->clear();
    });
    connect(stringEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!text.isEmpty())
            sourceList_->setCurrentRow(-1);
    });

    auto* testButton = new QPushButton(QString::fromUtf8("测试连接"), this);
    testButton->setObjectName(QStringLiteral("testButton"));
    testButton->setAutoDefault(false);
    connect(testButton, &QPushButton::clicked, this, [this] { TestConnection(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("连接"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("取消"));
    buttons->addButton(testButton, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConnectDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("用户名："), userEdit_);
    form->addRow(QString::fromUtf8("密码："), passwordEdit_);
    form->addRow(QString::fromUtf8("加密："), encryptBox_);
    form->addRow(QString::fromUtf8("CA 证书："), caFileRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("ODBC 数据源（系统和用户）："), this));
    layout->addWidget(sourceList_);
    layout->addWidget(new QLabel(QString::fromUtf8("或完整的连接字符串："), this));
    layout->addWidget(stringEdit_);
    layout->addLayout(form);
    layout->addWidget(StatusArea());
    layout->addWidget(buttons);
    resize(560, 480);
    Restore(RememberedChoice(settings_));
}

QScrollArea* ConnectDialog::StatusArea()
{
    // The message has room of its own, kStatusLines high and scrolled when longer: no
    // control moves when a message appears, grows or goes (a click aimed at a field
    // would land on another one). Out of the Tab order, as the label was.
    auto* area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("statusArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    area->setWidget(status_);
    const QMargins margins = status_->contentsMargins();
    area->setFixedHeight(kStatusLines * status_->fontMetrics().lineSpacing() + margins.top() + margins.bottom()
                         + 2 * status_->margin());
    return area;
}

void ConnectDialog::Restore(const ConnectionChoice& choice)
{
    for (std::size_t i = 0; i < sources_.size(); ++i)
        if (!choice.dataSource.isEmpty() && sources_[i].name == choice.dataSource)
            sourceList_->setCurrentRow(static_cast<int>(i));
    if (sourceList_->currentRow() < 0)
        stringEdit_->setText(choice.connectionString);
    userEdit_->setText(choice.user);
    encryptBox_->setCurrentIndex(std::max(0, encryptBox_->findData(choice.encrypt)));
    caFileEdit_->setText(choice.caFile);
}

void ConnectDialog::ChooseCaFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QString::fromUtf8("选择证书颁发机构的证书"), caFileEdit_->text(),
                                                      QString::fromUtf8("证书 (*.crt *.pem *.cer);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    caFileEdit_->setText(path);
    // Naming an authority means checking the server against it.
    if (encryptBox_->currentData().toString().isEmpty())
        encryptBox_->setCurrentIndex(encryptBox_->findData(QStringLiteral("verify-full")));
}

ConnectionChoice ConnectDialog::Choice() const
{
    ConnectionChoice choice;
    const int row = sourceList_->currentRow();
    if (row >= 0 && row < static_cast<int>(sources_.size()))
        choice.dataSource = sources_[static_cast<std::size_t>(row)].name;
    else
        choice.connectionString = stringEdit_->text();
    choice.user = userEdit_->text();
    choice.password = passwordEdit_->text();
    choice.encrypt = encryptBox_->currentData().toString();
    choice.caFile = caFileEdit_->text().trimmed();
    return choice;
}

bool ConnectDialog::TestConnection()
{
    const QString text = ChosenConnectionString();
    if (text.isEmpty()) {
        status_->setText(QString::fromUtf8("请选择一个数据源或输入连接字符串。"));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString failure;
    QString link;  // whether the tested link is encrypted and verified
    bool cancelled = false;
    try {
        // Long work: the dialog stays painted, and the progress window's 取消 (or Esc) ends
        // a connect to a server that does not answer.
        recordset::Connection connection;
        WorkProgress progress;
        const std::string connectionString = text.toStdString();
        RunLongWork(LongWorkKind::Connect, [&] { connection.Open(connectionString, &progress); }, progress);
        // A local file has no link to speak of.
        if (const recordset::LinkSecurity security = connection.Security(); security.network)
            link = QString::fromStdString(recordset::DescribeLinkSecurity(security));
        connection.Close();
    } catch (const EWorkCancelled&) {
        cancelled = true;
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    QApplication::restoreOverrideCursor();
    if (cancelled)
        status_->setText(QString::fromUtf8("已取消连接。"));
    else
        status_->setText(!failure.isEmpty() ? QString::fromUtf8("连接失败：") + failure
                         : link.isEmpty()   ? QString::fromUtf8("连接成功。")
                                            : QString::fromUtf8("连接成功（%1）。").arg(link));
    return failure.isEmpty() && !cancelled;
}

void ConnectDialog::accept()
{
    if (!TestConnection())
        return;
    RememberChoice(settings_, Choice());
    QDialog::accept();
}

}  // namespace qelvor::host
