#include "browse/BrowseGridDesign.h"

#include <array>

#include "data/DataSource.h"
#include "grid/DBGridEh.h"

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

void ApplyBrowseGridDesign(TDBGridEh& grid, TDataSource* source, const QFont& designFont)
{
    grid.BeginLoad();
    grid.SetDataSource(source);
    grid.SetReadOnly(true);
    grid.SetOptionsEh({dghClearSelection, dghHighlightFocus, dghMultiSortMarking, dghAutoSortMarking, dghFixed3D});
    grid.SetAllowedSelections({gstAll, gstRecordBookmarks});
    grid.ColumnDefValues().Title().SetTitleButton(true);
    grid.SetFooterColor(clWindow);
    grid.SetFooterFont(designFont);
    grid.SetTitleFont(designFont);
    for (const ColumnDesign& design : kColumns) {
        TDBGridColumnEh* column = grid.Columns().Add();
        column->SetFieldName(design.fieldName);
        if (design.width > 0)
            column->SetWidth(design.width);
    }
    grid.EndLoad();
}

}  // namespace qelvor
