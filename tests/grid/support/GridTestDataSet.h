// GridTestDataSet: a sequenced dataset over generated rows, for grid tests and
// benchmarks. Values come from a function of (row, column), so a million rows cost
// no memory; the dataset counts the record fetches it serves.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/RowCursorDataSet.h"

namespace qelvor::test {

class GridTestDataSet : public RowCursorDataSet {
public:
    using ValueFunction = std::function<Variant(int row, int column)>;

    GridTestDataSet(std::vector<TFieldDef> defs, int rowCount, ValueFunction value,
                    std::string name = "GridData");
    ~GridTestDataSet() override;

    int RowCount() const override { return rowCount_; }
    // Changes the number of rows (takes effect at the next open).
    void SetRowCount(int count) { rowCount_ = count; }

    void SetRecNo(int recordNumber) override;
    bool IsSequenced() const override { return sequenced_; }
    // A dataset that cannot address records by number (the bar then shows 0..4).
    void SetSequenced(bool sequenced) { sequenced_ = sequenced; }
    int CompareBookmarks(const TBookmark& first, const TBookmark& second) const override;

protected:
    Variant ReadFieldValue(int slot, const TField& field) override;

private:
    int rowCount_;
    ValueFunction value_;
    bool sequenced_ = true;
};

// The seven result columns of the answer-sheet query, in the form's column order.
std::vector<TFieldDef> AnswerSheetFieldDefs();
// A value of the answer-sheet row `row` for column `column` (deterministic).
Variant AnswerSheetValue(int row, int column);

}  // namespace qelvor::test
