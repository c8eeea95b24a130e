// CustomGridKeyboard: the base grid's key handling — the key events, Enter toggling
// the editor, and typed characters opening it.
#include "grid/CustomGrid.h"
#include "grid/CustomGridPrivate.h"
#include "grid/InplaceEdit.h"

namespace qelvor {

TVirtualKey TCustomGrid::DoKeyDown(TVirtualKey key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(*this, key, shift);
    return key;
}

void TCustomGrid::KeyDown(TVirtualKey& key, TShiftState shift)
{
    key = DoKeyDown(key, shift);
}

void TCustomGrid::CharMessage(char32_t character)
{
    if (d_->gridOptions.Contains(goEditing) && (character == U'\b' || character >= U' ')) {
        ShowEditorChar(character);
        return;
    }
    KeyPress(character);
}

void TCustomGrid::ShowEditorChar(char32_t character)
{
    ShowEditor();
    // Only an editor that really opened takes the character.
    if (d_->editorShown && d_->editor && d_->editor->isVisible())
        d_->editor->TypeCharacter(character);
}

void TCustomGrid::KeyPress(char32_t& key)
{
    if (OnKeyPress)
        OnKeyPress(*this, key);
    if (key != U'\r' || d_->gridOptions.Contains(goAlwaysShowEditor))
        return;
    if (EditorMode())
        HideEditor();
    else
        ShowEditor();
    key = 0;
}

void TCustomGrid::KeyUp(TVirtualKey& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(*this, key, shift);
}

}  // namespace qelvor
