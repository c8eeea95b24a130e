#include "platform/TextControls.h"

#include <QFontMetrics>

#include "platform/DesignFont.h"

namespace qelvor {

TLabel::TLabel(QWidget* parent) : QLabel(parent)
{
    setMargin(0);
    setIndent(0);
}

void TLabel::SetCaption(const QString& caption)
{
    setText(caption);
    FitToText();
}

void TLabel::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    FitToText();
}

void TLabel::FitToText()
{
    if (!autoSize_)
        return;
    resize(QFontMetrics(font()).horizontalAdvance(text()), TextLineHeight(font()));
}

TEdit::TEdit(QWidget* parent) : QLineEdit(parent)
{
}

}  // namespace qelvor
