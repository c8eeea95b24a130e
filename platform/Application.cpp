#include "platform/Application.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QWindow>
#include "runtime/Assert.h"

#include "runtime/FormatSettings.h"

namespace qelvor {

// Reloads the locale formats when the system's settings change.
class TApplication::SettingsWatcher : public QObject {
public:
    // Watches the current Qt application object (a new one after a temporary one went).
    void Watch()
    {
        QCoreApplication* application = QCoreApplication::instance();
        if (application == watched_ || application == nullptr)
            return;
        watched_ = application;
        application->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The event reaches the application object once per change, then every widget.
        if (watched == QCoreApplication::instance() && event->type() == QEvent::LocaleChange)
            ReloadLocaleFormats();
        return false;
    }

private:
    QPointer<QCoreApplication> watched_;
};

TApplication::TApplication() = default;

TApplication::~TApplication()
{
    ReleaseForeignWindow();
}

void TApplication::SetHandle(WId handle)
{
    if (handle != handle_) {
        ReleaseForeignWindow();
        watcher_.reset();
        handle_ = handle;
        if (handle_ != 0)
            watcher_ = std::make_unique<SettingsWatcher>();
    }
    if (watcher_)
        watcher_->Watch();
}

QString TApplication::Title() const
{
    if (!title_.isEmpty())
        return title_;
    // The application window is the host's main window: its caption is the application's.
    if (const QWidget* owner = OwnerWidget(); owner != nullptr && !owner->windowTitle().isEmpty())
        return owner->windowTitle();
    // As the host program's own name, without its folder and extension.
    const QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        return QFileInfo(arguments.first()).completeBaseName();
    return QCoreApplication::applicationName();
}

QWidget* TApplication::OwnerWidget() const
{
    if (handle_ == 0)
        return nullptr;
    QWidget* owner = QWidget::find(handle_);
    return owner != nullptr ? owner->window() : nullptr;
}

void TApplication::AdoptWindow(QWidget* window) const
{
    QELVOR_ASSERT(window != nullptr && window->isWindow());
    if (handle_ == 0)
        return;
    if (QWidget* owner = OwnerWidget()) {
        if (owner != window && window->parentWidget() != owner)
            window->setParent(owner, window->windowFlags());
        return;
    }
    if (foreignWindow_.isNull()) {
        foreignWindow_ = QWindow::fromWinId(handle_);
        if (foreignWindow_ != nullptr)
            static_cast<QObject*>(foreignWindow_.data())->setParent(QCoreApplication::instance());
    }
    window->winId();  // the native window must exist before it can get a transient parent
    if (foreignWindow_ != nullptr && window->windowHandle() != nullptr)
        window->windowHandle()->setTransientParent(foreignWindow_);
}

void TApplication::ReleaseForeignWindow()
{
    delete foreignWindow_.data();
    foreignWindow_.clear();
}

TApplication& Application()
{
    static TApplication application;
    return application;
}

}  // namespace qelvor
