// GridTestDataSet: generated rows behind the record window, bookmarks = row numbers.
#include "tests/grid/support/GridTestDataSet.h"

#include <algorithm>

namespace qelvor::test {

namespace {

TFieldDef Def(const char* name, TFieldType type, int size, int fieldNo)
{
    TFieldDef def;
    def.name = name;
    def.dataType = type;
    def.size = size;
    def.fieldNo = fieldNo;
    return def;
}

}  // namespace

std::vector<TFieldDef> AnswerSheetFieldDefs()
{
    return {
        Def("准考证号", TFieldType::ftString, 15, 1),
        Def("报名号", TFieldType::ftString, 12, 2),
        Def("姓名", TFieldType::ftString, 10, 3),
        Def("笔试客观题答案字符串", TFieldType::ftString, 60, 4),
        Def("笔试主观题题分字符串", TFieldType::ftString, 60, 5),
        Def("缺考标记", TFieldType::ftInteger, 0, 6),
        Def("论文题题号", TFieldType::ftInteger, 0, 7),
    };
}

Variant AnswerSheetValue(int row, int column)
{
    switch (column) {
    case 0: return Variant("2026" + std::to_string(100000 + row));
    case 1: return Variant("BM" + std::to_string(row + 1));
    case 2: return Variant("考生" + std::to_string(row + 1));
    case 3: return Variant(std::string("ABCDABCDAB"));
    case 4: return Variant(std::string("5,4,3,2,1"));
    case 5: return Variant(row % 7 == 0 ? 1 : 0);
    default: return Variant(row % 3 + 1);
    }
}

GridTestDataSet::GridTestDataSet(std::vector<TFieldDef> defs, int rowCount, ValueFunction value, std::string name)
    : RowCursorDataSet(std::move(defs), std::move(name)), rowCount_(rowCount), value_(std::move(value))
{
}

GridTestDataSet::~GridTestDataSet()
{
    // Closed here, while the value function still exists.
    BeginDestroy();
    Close();
}

Variant GridTestDataSet::ReadFieldValue(int slot, const TField& field)
{
    return value_(RowOfSlot(slot), field.FieldNo() - 1);
}

void GridTestDataSet::SetRecNo(int recordNumber)
{
    CheckActive();
    if (recordNumber == RecNo())
        return;
    SetSourcePosition(std::max(0, std::min(recordNumber, rowCount_) - 1));
    CursorPosChanged();
    Resync(rmCenter);
}

int GridTestDataSet::CompareBookmarks(const TBookmark& first, const TBookmark& second) const
{
    if (first.empty() || second.empty())
        return first.empty() == second.empty() ? 0 : (first.empty() ? -1 : 1);
    const int a = RowOfBookmark(first);
    const int b = RowOfBookmark(second);
    return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace qelvor::test
