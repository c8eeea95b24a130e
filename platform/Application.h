// Application: the module's application object.
//
// A library never creates a window of its own; its windows and message boxes are
// owned by the window handle the host hands over (Handle). With a Qt host in the same
// process the handle names one of its widgets, which then becomes the Qt parent;
// with any other host the handle is wrapped as a foreign window and set as the
// transient parent. While a handle is set the object watches for system-settings
// changes (Qt's locale-change event) and reloads the locale's formats then.
#pragma once

#include <QPointer>
#include <QWindow>
#include <QString>
#include <QWidget>
#include <memory>

namespace qelvor {

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The owner window handle (0: none).
    WId Handle() const { return handle_; }
    // Adopts handle as the owner of the module's windows; a no-op for an equal value.
    void SetHandle(WId handle);

    // Title of message boxes: as set, else the application window's caption (the host's
    // main window), else the host program's name.
    QString Title() const;
    void SetTitle(const QString& title) { title_ = title; }

    // The Qt widget behind Handle() when it belongs to this process, else nullptr.
    QWidget* OwnerWidget() const;
    // Makes the top-level window owned by the application window (Qt parent or transient parent).
    void AdoptWindow(QWidget* window) const;

private:
    class SettingsWatcher;

    void ReleaseForeignWindow();

    WId handle_ = 0;
    QString title_;
    // Wraps a handle of another toolkit; a child of the Qt application object, which
    // may be a temporary one that goes before this object does.
    mutable QPointer<QWindow> foreignWindow_;
    std::unique_ptr<SettingsWatcher> watcher_;   // present while a handle is set
};

// The one application object of the module.
TApplication& Application();

}  // namespace qelvor
