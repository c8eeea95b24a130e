// TextControls: the label and the single-line edit of the forms.
//
// An auto-sized label is exactly as large as its caption's text extent in its font
// (width of the text, height of a line: TextLineHeight), as the design layout measured
// it. Qt centres the stand-in face's taller line in it, which puts the caption on the
// design's baseline (10 pixels down) with all its ink inside the 12 rows.
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
