// TextControls: the label and the single-line edit of the forms.
//
// An auto-sized label is exactly as large as its caption's text extent in its font
// (width of the text, height of the font), as the design layout measured it.
#pragma once

#include <QLabel>
#include <QLineEdit>

namespace qelvor {

class TLabel : public QLabel {
public:
    explicit TLabel(QWidget* parent);

    void SetCaption(const QString& caption);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

private:
    void FitToText();

    bool autoSize_ = true;
};

class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent);

    QString Text() const { return text(); }
    void SetText(const QString& value) { setText(value); }
};

}  // namespace qelvor
