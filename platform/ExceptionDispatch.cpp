#include "platform/ExceptionDispatch.h"

#include <QApplication>
#include <QMessageBox>
#include <QShowEvent>
#include <QString>

#include "platform/Application.h"
#include "platform/CancelMode.h"
#include "platform/MessageTranslation.h"
#include "runtime/Assert.h"
#include "runtime/Exceptions.h"

namespace qelvor {

namespace {

// The code point of the last UTF-8 character of text (0 when empty).
char32_t LastCodePoint(const std::string& text)
{
    if (text.empty())
        return 0;
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    const QString last = QString::fromUtf8(text.data() + start, static_cast<qsizetype>(text.size() - start));
    const QList<uint> codePoints = last.toUcs4();
    return codePoints.isEmpty() ? 0 : static_cast<char32_t>(codePoints.last());
}

// A message box centred over its owner once it has its final size (the box settles its
// size as it shows, after Qt placed it by the size it had before).
class TCentredMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (const QWidget* owner = parentWidget(); owner != nullptr && !event->spontaneous())
            move(owner->window()->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    }
};

// The standard box: an error icon, owned by the window the failure happened in.
void ShowErrorBox(const std::string& title, const std::string& text)
{
    QWidget* owner = ErrorBoxOwner();
    TCentredMessageBox box(QMessageBox::Critical, QString::fromStdString(title), QString::fromStdString(text),
                           QMessageBox::Ok, owner);
    // A screen reader announces the box by what it says, not by its caption alone.
    box.setAccessibleName(QString::fromStdString(text));
    // Without a window of ours, the application window owns it (a foreign one too).
    if (owner == nullptr || owner == Application().OwnerWidget())
        Application().AdoptWindow(&box);
    box.exec();
}

ErrorPresenter& CurrentPresenter()
{
    static ErrorPresenter presenter;
    return presenter;
}

// The silent kind of failure: reported by showing nothing.
bool IsSilent(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

QWidget* ErrorBoxOwner()
{
    // The modal window that runs (the browse window), else the active one: owned by
    // the application window instead, the box would raise that window over them.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return Application().OwnerWidget();
}

std::string ExceptionMessage(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown exception";
    }
}

std::string ErrorBoxText(const std::string& message)
{
    if (LastCodePoint(message) > U'.')
        return message + ".";
    return message;
}

ErrorPresenter SetErrorPresenter(ErrorPresenter presenter)
{
    ErrorPresenter previous = std::move(CurrentPresenter());
    CurrentPresenter() = std::move(presenter);
    return previous;
}

void HandleException(std::exception_ptr failure)
{
    QELVOR_ASSERT(failure != nullptr);
    if (IsSilent(failure))
        return;
    // Our own texts in the window's language; a server's words as it wrote them.
    const std::string message = TranslatedMessage(ExceptionMessage(failure));
    // The box takes the input: no drag may go on underneath it.
    CancelModes();
    const std::string title = Application().Title().toStdString();
    const std::string text = ErrorBoxText(message);
    if (CurrentPresenter())
        CurrentPresenter()(title, text);
    else
        ShowErrorBox(title, text);
}

}  // namespace qelvor
