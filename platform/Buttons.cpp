#include "platform/Buttons.h"

#include "platform/ExceptionDispatch.h"
#include "platform/Glyph.h"

namespace qelvor {

namespace {

template <typename Button>
void RunOnClick(Button* button)
{
    QObject::connect(button, &QAbstractButton::clicked, button, [button] {
        if (button->OnClick)
            GuardedCall(button->OnClick);
    });
}

}  // namespace

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent)
{
    setAutoDefault(false);
    RunOnClick(this);
}

void TBitBtn::SetGlyph(const QImage& glyph, int numGlyphs)
{
    setIcon(GlyphIcon(glyph, numGlyphs));
    setIconSize(QSize(glyph.width() / numGlyphs, glyph.height()));
}

void TBitBtn::SetDefault(bool isDefault)
{
    setDefault(isDefault);
}

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    RunOnClick(this);
}

void TSpeedButton::SetGlyph(const QImage& glyph, int numGlyphs)
{
    setIcon(GlyphIcon(glyph, numGlyphs));
    setIconSize(QSize(glyph.width() / numGlyphs, glyph.height()));
}

}  // namespace qelvor
