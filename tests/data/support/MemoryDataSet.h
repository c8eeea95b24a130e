// MemoryDataSet: a dataset over rows held in memory, so that the record window can be
// tested without a database. It counts the record-source calls the window makes and
// can be told to fail a fetch.
#pragma once

#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/FieldDefs.h"

namespace qelvor::test {

class MemoryDataSet : public TDataSet {
public:
    // One integer column "ID" holding 1..rowCount and a text column "Name" ("row N").
    explicit MemoryDataSet(int rowCount, std::string name = "MemData");
    // Columns described by defs (fieldNo = 1-based column), rows of matching values.
    MemoryDataSet(std::vector<TFieldDef> defs, std::vector<std::vector<Variant>> rows, std::string name = "MemData");
    ~MemoryDataSet() override;

    // The row (0-based) the source is on: -1 before the first, RowCount() after the last.
    int SourcePosition() const { return position_; }
    // Moves the source as an outside party would (a later Resync picks it up).
    void SetSourcePosition(int position) { position_ = position; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Removes every row (the source changes under the window).
    void ClearRows() { rows_.clear(); position_ = -1; }
    // Appends rows with the next IDs (the source grows under the window).
    void AppendRows(int count);

    int FetchCount() const { return fetches_; }
    int ValueReadCount() const { return valueReads_; }
    // The fetch with this number (counting from the next one, 1-based) raises.
    void FailFetch(int nth) { failAt_ = fetches_ + nth; }
    void SetMasterSource(TDataSource* source) { master_ = source; }
    TDataSource* MasterSource() const override { return master_; }

    int RecNo() const override;
    int RecordCount() const override;

    // The ID of the record in the window slot (for checking window contents).
    int SlotId(int slot);

protected:
    void InternalOpen() override;
    void InternalClose() override {}
    void InternalFirst() override { position_ = -1; }
    void InternalLast() override { position_ = RowCount(); }
    TGetResult GetRecord(int slot, TGetMode mode, bool doCheck) override;
    void InternalSetToRecord(int slot) override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    Variant ReadFieldValue(int slot, const TField& field) override;

private:
    std::vector<TFieldDef> defs_;
    std::vector<std::vector<Variant>> rows_;
    int position_ = -1;
    int fetches_ = 0;
    int valueReads_ = 0;
    int failAt_ = -1;
    TDataSource* master_ = nullptr;
};

// The bookmark MemoryDataSet hands out for a 0-based row.
TBookmark MemoryBookmark(int row);

}  // namespace qelvor::test
