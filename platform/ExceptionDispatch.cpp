#include "platform/ExceptionDispatch.h"

#include <QMessageBox>
#include <QString>

#include "platform/Application.h"
#include "platform/CancelMode.h"
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

// The standard box: an error icon, owned by the application window.
void ShowErrorBox(const std::string& title, const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, Application().OwnerWidget());
    // A screen reader announces the box by what it says, not by its caption alone.
    box.setAccessibleName(QString::fromStdString(text));
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
    const std::string message = ExceptionMessage(failure);
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
