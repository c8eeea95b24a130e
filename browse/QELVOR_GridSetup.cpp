// The stored settings of the browse form's grid and its seven persistent columns.
#include "browse/QELVOR_Unit.h"

#include <array>

#include "data/DataSource.h"
#include "grid/DBGridEh.h"
#include "platform/DesignFont.h"
#include "platform/ExceptionDispatch.h"

namespace qelvor {

namespace {

struct ColumnDesign {
    const char* fieldName;
    int width;  // 0: not stored, the width derived from the field
};

constexpr std::array<ColumnDesign, 7> kColumns = {{
    {"准考证号", 107},
    {"报名号", 102},
    {"姓名", 0},
    {"笔试客观题答案字符串", 300},
    {"笔试主观题题分字符串", 300},
    {"缺考标记", 65},
    {"论文题题号", 65},
}};

}  // namespace

void TQELVOR_Form::ConfigureGrid()
{
    TDBGridEh& grid = *DBGridEh1;
    // The grid keeps ParentFont: the design font reaches it from the form.
    grid.BeginLoad();
    grid.SetDataSource(DataSource1);
    grid.SetReadOnly(true);
    grid.SetOptionsEh({dghClearSelection, dghHighlightFocus, dghMultiSortMarking, dghAutoSortMarking, dghFixed3D});
    grid.SetAllowedSelections({gstAll, gstRecordBookmarks});
    grid.ColumnDefValues().Title().SetTitleButton(true);
    grid.SetFooterColor(clWindow);
    grid.SetFooterFont(DesignFont());
    grid.SetTitleFont(DesignFont());
    for (const ColumnDesign& design : kColumns) {
        TDBGridColumnEh* column = grid.Columns().Add();
        column->SetFieldName(design.fieldName);
        if (design.width > 0)
            column->SetWidth(design.width);
    }
    grid.OnSortMarkingChanged = [this](TCustomDBGridEh&) { DBGridEh1SortMarkingChanged(); };
    grid.EndLoad();
}

}  // namespace qelvor
