// WorkProgressDialog: the small window a long search (or connect) shows over its form: the
// rows received so far (for a connect, that it connects), the time since the work began
// and a 取消 button.
//
// It is a window of its own, centred over the form that waits, so the form's layout
// never changes. Pressing 取消, Esc, or the window's close button runs OnCancel (the
// window stays until its owner hides it: it goes when the work has ended). After the
// first cancel the button is disabled and the text says that the search is stopping.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

#include "runtime/LongWork.h"

class QLabel;
class QPushButton;

namespace qelvor {

class WorkProgressDialog : public QDialog {
public:
    // parent: the waiting form (may be nullptr); the dialog is placed over it.
    explicit WorkProgressDialog(QWidget* parent, LongWorkKind kind = LongWorkKind::Search);

    // Shows the rows received and the elapsed time (milliseconds).
    void ShowProgress(std::int64_t rows, std::int64_t elapsedMs);
    // Marks the search as stopping: the button is disabled.
    void ShowCancelling();

    QPushButton* CancelButton() const { return cancelButton_; }
    QString RowsText() const;
    QString TimeText() const;

    std::function<void()> OnCancel;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Cancel();

    LongWorkKind kind_;             // what is waited for: the texts follow it
    QLabel* rowsLabel_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace qelvor
