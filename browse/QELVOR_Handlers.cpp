// The browse form's four handlers. None of them catches: failures reach the message
// dispatch, which shows them and leaves the form usable.
#include "browse/QELVOR_Unit.h"

#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/QueryComposition.h"
#include "grid/DBGridEh.h"
#include "session/StandardInfo.h"
#include "platform/Screen.h"
#include "platform/TextControls.h"

namespace qelvor {

// The composition reads the grid's marker values as they are.
static_assert(static_cast<int>(SortMarker::smNone) == smNoneEh && static_cast<int>(SortMarker::smDown) == smDownEh
              && static_cast<int>(SortMarker::smUp) == smUpEh);


void TQELVOR_Form::FormShow()
{
    QELV_Set->SetConnection(HostConnection);
}

void TQELVOR_Form::BitBtn1Click()
{
    const THourGlass hourGlass;
    QELV_Set->SetActive(false);
    // A server that reads backslashes as escapes needs them doubled, else a typed
    // backslash ends the literal early and the rest of the edit runs as a statement.
    TADOConnection* connection = QELV_Set->Connection();
    const LiteralBackslash backslash = connection && connection->BackslashEscapesInLiterals()
                                           ? LiteralBackslash::Escape
                                           : LiteralBackslash::Plain;
    // A pasted number brings its line end and blanks, a Chinese input method full-width
    // digits: the statement gets the number they stand for.
    QELV_Set->SetCommandText(ComposeAnswerSheetStatement(NormalizeTicketText(Edit1->Text().toStdString()),
                                                         NormalizeTicketText(Edit2->Text().toStdString()), backslash));
    QELV_Set->SetActive(true);
    ApplyMarkedSortToNewRows();
}

void TQELVOR_Form::ApplyMarkedSortToNewRows()
{
    // Titles that still show a sort must not claim an order the new rows are not in:
    // the rows take the marked order (one notification, one re-sort, as after a title
    // click) and the list starts at its head, as after any search. Ctrl+clicks still
    // waiting for Ctrl's release sort then.
    if (DBGridEh1->SortMarkedColumnList().Count() == 0 || DBGridEh1->SortMarkingChangePending())
        return;
    DBGridEh1->DoSortMarkingChanged();
    QELV_Set->First();
}

void TQELVOR_Form::SpeedButton3Click()
{
    Close();
}

void TQELVOR_Form::DBGridEh1SortMarkingChanged()
{
    const THourGlass hourGlass;
    std::vector<SortItem> marked;
    for (const TColumnEh* column : DBGridEh1->SortMarkedColumnList())
        marked.push_back({column->FieldName(), static_cast<SortMarker>(column->Title()->SortMarker())});
    QELV_Set->SetSort(ComposeSortString(marked));
}

}  // namespace qelvor
