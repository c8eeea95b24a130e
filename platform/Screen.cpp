#include "platform/Screen.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace qelvor {

namespace {

Qt::CursorShape ShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crHourGlass: return Qt::WaitCursor;
    case crArrow: return Qt::ArrowCursor;
    case crDefault: break;
    }
    return Qt::ArrowCursor;
}

}  // namespace

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_)
        return;
    if (cursor_ != crDefault)
        QApplication::restoreOverrideCursor();
    if (cursor != crDefault)
        QApplication::setOverrideCursor(QCursor(ShapeOf(cursor)));
    cursor_ = cursor;
}

QRect TScreen::Geometry() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect();
}

QRect TScreen::AvailableGeometry() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

TScreen& Screen()
{
    static TScreen screen;
    return screen;
}

}  // namespace qelvor
