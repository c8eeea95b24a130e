#include "platform/WorkProgressDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/DesignFont.h"

namespace qelvor {

WorkProgressDialog::WorkProgressDialog(QWidget* parent, LongWorkKind kind)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), kind_(kind)
{
    setWindowTitle(kind_ == LongWorkKind::Connect ? QStringLiteral("正在连接") : QStringLiteral("正在检索"));
    // Not modal: the input guard already keeps input from the waiting windows, and a modal
    // window would make the system drop their close requests before the guard sees them.
    setFont(DesignFont());
    rowsLabel_ = new QLabel(this);
    timeLabel_ = new QLabel(this);
    cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    connect(cancelButton_, &QPushButton::clicked, this, [this] { Cancel(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rowsLabel_);
    layout->addWidget(timeLabel_);
    layout->addLayout(buttons);
    ShowProgress(0, 0);
    setFixedSize(sizeHint().expandedTo(QSize(220, 0)));
}

void WorkProgressDialog::ShowProgress(std::int64_t rows, std::int64_t elapsedMs)
{
    rowsLabel_->setText(kind_ == LongWorkKind::Connect
                            ? QStringLiteral("正在连接数据库…")
                            : QStringLiteral("已接收 %1 行").arg(QLocale::c().toString(static_cast<qlonglong>(rows))));
    timeLabel_->setText(QStringLiteral("已用时 %1 秒").arg(static_cast<double>(elapsedMs) / 1000.0, 0, 'f', 1));
}

void WorkProgressDialog::ShowCancelling()
{
    cancelButton_->setEnabled(false);
    setWindowTitle(QStringLiteral("正在取消"));
}

QString WorkProgressDialog::RowsText() const
{
    return rowsLabel_->text();
}

QString WorkProgressDialog::TimeText() const
{
    return timeLabel_->text();
}

void WorkProgressDialog::Cancel()
{
    if (OnCancel)
        OnCancel();
}

void WorkProgressDialog::closeEvent(QCloseEvent* event)
{
    // The window goes with the work, never before it.
    event->ignore();
    Cancel();
}

void WorkProgressDialog::reject()
{
    Cancel();
}

}  // namespace qelvor
