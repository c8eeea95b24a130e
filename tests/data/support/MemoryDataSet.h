// MemoryDataSet: a dataset over rows held in memory, so that the record window can be
// tested without a database. It counts the record-source calls the window makes and
// can be told to fail a fetch.
#pragma once

#include <string>
#include <vector>

#include "tests/support/RowCursorDataSet.h"

namespace qelvor::test {

class MemoryDataSet : public RowCursorDataSet {
public:
    // One integer column "ID" holding 1..rowCount and a text column "Name" ("row N").
    explicit MemoryDataSet(int rowCount, std::string name = "MemData");
    // Columns described by defs (fieldNo = 1-based column), rows of matching values.
    MemoryDataSet(std::vector<TFieldDef> defs, std::vector<std::vector<Variant>> rows, std::string name = "MemData");
    ~MemoryDataSet() override;

    int RowCount() const override { return static_cast<int>(rows_.size()); }
    // Removes every row (the source changes under the window).
    void ClearRows();
    // Appends rows with the next IDs (the source grows under the window).
    void AppendRows(int count);

    int ValueReadCount() const { return valueReads_; }
    // The fetch with this number (counting from the next one, 1-based) raises.
    void FailFetch(int nth) { failAt_ = FetchCount() + nth; }
    void SetMasterSource(TDataSource* source) { master_ = source; }
    TDataSource* MasterSource() const override { return master_; }

    // The ID of the record in the window slot (for checking window contents).
    int SlotId(int slot) { return RowOfSlot(slot) + 1; }

protected:
    bool FetchFails(int fetchNumber, bool doCheck) override;
    Variant ReadFieldValue(int slot, const TField& field) override;

private:
    std::vector<std::vector<Variant>> rows_;
    int valueReads_ = 0;
    int failAt_ = -1;
    TDataSource* master_ = nullptr;
};

// The bookmark MemoryDataSet hands out for a 0-based row.
inline TBookmark MemoryBookmark(int row)
{
    return RowCursorDataSet::BookmarkOfRow(row);
}

}  // namespace qelvor::test
