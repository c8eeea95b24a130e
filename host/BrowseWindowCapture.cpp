#include "host/BrowseWindowCapture.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

namespace qelvor::host {

namespace {

constexpr int kPollMilliseconds = 50;
// Polls the window must have been visible for before the picture is taken, so that
// its first paint and the grid's deferred layout are done.
constexpr int kSettlingPolls = 4;

}  // namespace

BrowseWindowCapture::BrowseWindowCapture(QString outputPath, QString captionStart, int timeoutMilliseconds)
    : outputPath_(std::move(outputPath)), captionStart_(std::move(captionStart)),
      remainingPolls_(timeoutMilliseconds / kPollMilliseconds)
{
    connect(&timer_, &QTimer::timeout, this, &BrowseWindowCapture::Poll);
    timer_.start(kPollMilliseconds);
}

QWidget* BrowseWindowCapture::FindBrowseWindow() const
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle().startsWith(captionStart_))
            return widget;
    return nullptr;
}

void BrowseWindowCapture::Poll()
{
    if (--remainingPolls_ < 0) {
        timer_.stop();
        failure_ = QStringLiteral("The browse window did not appear");
        return;
    }
    QWidget* window = FindBrowseWindow();
    if (window == nullptr || ++sightings_ < kSettlingPolls)
        return;
    timer_.stop();
    written_ = window->grab().save(outputPath_, "PNG");
    if (!written_)
        failure_ = QStringLiteral("Cannot write %1").arg(outputPath_);
    window->close();
}

}  // namespace qelvor::host
