// DBGridEhEditor: the data grid's read-only in-place editor — when it may show, the
// text it shows (the field's edit text), its font and colour (the cell's, after the
// cell-parameter events), the characters that beep, and the focus highlight that
// follows the grid's focus.
#include <QFocusEvent>
#include <QPalette>

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/GridAccessibility.h"
#include "grid/InplaceEdit.h"
#include "platform/ExceptionDispatch.h"

namespace qelvor {

namespace {

// The editor of a data cell: a character beeps when the cell's field would refuse it.
class TDBGridInplaceEdit : public TInplaceEdit {
public:
    TDBGridInplaceEdit(TInplaceEditHost& host, TCustomDBGridEh* grid) : TInplaceEdit(host), grid_(grid) {}

protected:
    bool IsValidCharacter(char32_t character) const override
    {
        const TField* field = grid_->CurrentField();
        return !field || field->IsValidChar(character);
    }

private:
    TCustomDBGridEh* grid_;
};

}  // namespace

TInplaceEdit* TCustomDBGridEh::CreateEditor()
{
    return new TDBGridInplaceEdit(EditorHost(), this);
}

TField* TCustomDBGridEh::CurrentField() const
{
    const int dataCol = ToDataColumn(Col());
    if (dataCol < 0 || dataCol >= d_->columns->Count() || !d_->dataLink->Active())
        return nullptr;
    return d_->columns->Items(dataCol)->Field();
}

QString TCustomDBGridEh::GetEditText(int col, int) const
{
    const int dataCol = ToDataColumn(col);
    if (dataCol < 0 || dataCol >= d_->columns->Count() || !d_->dataLink->Active())
        return {};
    TField* field = d_->columns->Items(dataCol)->Field();
    return field ? QString::fromStdString(field->EditText()) : QString();
}

bool TCustomDBGridEh::CanEditShow() const
{
    if (d_->layoutLock != 0 || d_->layoutInProgress || !d_->options.Contains(dgEditing) || d_->options.Contains(dgRowSelect))
        return false;
    // The focus widget, not hasFocus(): a click on the current cell of a window still
    // being activated opens the editor, which has the focus once the activation arrives.
    if (!d_->dataLink->Active() || !FocusWidgetHere())
        return false;
    const int dataCol = ToDataColumn(Col());
    if (dataCol < 0 || dataCol >= d_->columns->Count() || !d_->columns->Items(dataCol)->Field())
        return false;
    const TColumnEhKind kind = d_->columns->Items(dataCol)->ColumnKind();
    return kind != TColumnEhKind::Checkbox && kind != TColumnEhKind::ImageOnly;
}

void TCustomDBGridEh::InvalidateEditor()
{
    TInplaceEdit* editor = InplaceEditor();
    const int dataCol = ToDataColumn(Col());
    if (EditorMode() && editor && dataCol >= 0 && dataCol < d_->columns->Count()) {
        TColumnEh* column = d_->columns->Items(dataCol);
        QFont font = column->Font();
        TColor background = column->Color();
        if (d_->events.OnGetCellParams)
            d_->events.OnGetCellParams(*this, column, font, background, TGridDrawState{});
        if (!(editor->font() == font))
            editor->setFont(font);
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Base, ToQColor(background));
        editor->setPalette(palette);
    }
    TCustomGrid::InvalidateEditor();
}

void TCustomDBGridEh::CommitEditorText()
{
    d_->parts.LinkUpdateData();
}

void TCustomDBGridEh::focusInEvent(QFocusEvent* event)
{
    TCustomGrid::focusInEvent(event);
    // The current cell's highlight and focus rectangle follow the focus.
    GuardedCall([&] { InvalidateCell(Col(), Row()); });
    // A reader hears where the keyboard is now (also after Esc closed the editor).
    AccessibleGridFocused(this);
}

void TCustomDBGridEh::focusOutEvent(QFocusEvent* event)
{
    TCustomGrid::focusOutEvent(event);
    GuardedCall([&] { InvalidateCell(Col(), Row()); });
}

}  // namespace qelvor
