// ColumnBuilder: fills a ResultColumn row by row while a provider fetches.
//
// Rows gather in a staged block; each full block is written compressed (ColumnEncoder),
// inline or, given a BlockPipeline, on its thread while the next rows are fetched.
// The provider appends exactly one value per row in the storage it chose from the
// column's declared type. Databases with dynamic typing may hand over a value that does
// not fit that storage; the provider then widens the column (integer -> real -> text),
// which converts the values already held, so that nothing is lost or corrupted.
// A column whose type is known only from its values starts undetermined: its first
// non-null value picks the storage. Finish() settles the derived sizes and trims spare
// capacity so that memory held stays close to the payload.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "data/recordset/BlockPipeline.h"
#include "data/recordset/ColumnEncoder.h"
#include "data/recordset/RecordSetTypes.h"
#include "data/recordset/ResultColumn.h"

namespace qelvor::recordset {

class ColumnBuilder {
public:
    // field is described by the provider; deriveSize asks Finish() to set a text field's
    // definedSize from its widest value in character cells (at least 1) and to mark the
    // field adFldLong (it has no declared length). Full blocks go through pipeline when
    // one is given (it must outlive the builder's last call), else are written inline.
    ColumnBuilder(ResultColumn& column, FieldInfo& field, ColumnStorage storage, bool deriveSize,
                  BlockPipeline* pipeline = nullptr);
    // A builder whose storage follows the first non-null value (see Determine).
    static ColumnBuilder Undetermined(ResultColumn& column, FieldInfo& field, BlockPipeline* pipeline = nullptr);

    // The kind of date a DateTime column holds (date, time or both).
    static void SetDateKind(ResultColumn& column, DateTimeValue::Kind kind) { column.dateKind_ = kind; }

    ColumnStorage Storage() const { return column_->storage_; }
    bool Determined() const { return determined_; }
    // Chooses the storage and the field type of an undetermined column.
    void Determine(ColumnStorage storage, DataTypeEnum type);

    void AppendNull();
    // Text, binary or decimal-text storage.
    void AppendBytes(std::string_view bytes);
    // Integer or boolean storage.
    void AppendInteger(std::int64_t value);
    // Real or date storage.
    void AppendReal(double value);

    // Integer -> real; the field becomes adDouble.
    void WidenToReal();
    // Any storage -> text (values as Variant::ToString gives them); the field becomes
    // adVarWChar with a size derived from the values (and adFldLong).
    void WidenToText();

    // Completes the column; call once after the last row. An integer field whose values
    // do not fit its declared width is reported with a wider type, so no reader truncates.
    void Finish();

private:
    void AppendNullBit(bool isNull);
    // Hands the staged block on when it is full.
    void EndRow();
    // Every row so far written into the column's blocks (the staged ones as a last,
    // partial block): used before the whole column is read or converted.
    void Settle();

    ResultColumn* column_;
    FieldInfo* field_;
    BlockPipeline* pipeline_;                 // null: blocks are written inline
    std::unique_ptr<ColumnEncoder> encoder_;  // on the heap: the pipeline keeps its address
    StagedBlock staged_;                      // rows not yet in a block
    bool deriveSize_;
    bool determined_ = true;
    std::int64_t widestText_ = 0;   // character cells (wide characters count two), for derived sizes
    std::int64_t smallest_ = 0;     // integer range seen, to widen a too narrow type
    std::int64_t largest_ = 0;
};

class ResultTable;

// TableFill: one result table while its rows arrive from a server, a builder per column.
// The provider describes the fields, chooses each column's storage, appends one value per
// column for each row and ends the row; Finish hands the completed table over.
class TableFill {
public:
    // One column's storage: derived sizes for text without a declared length, the kind of
    // date a DateTime column holds.
    struct Storage {
        ColumnStorage storage;
        bool deriveSize;
        DateTimeValue::Kind dateKind;
    };

    TableFill(std::vector<FieldInfo> fields, const std::vector<Storage>& storages);
    ~TableFill();
    TableFill(const TableFill&) = delete;
    TableFill& operator=(const TableFill&) = delete;

    std::size_t Columns() const { return builders_.size(); }
    ColumnBuilder& Column(std::size_t index) { return builders_[index]; }
    void EndRow() { ++rows_; }
    std::int64_t Rows() const { return rows_; }
    // Completes every column; the fill is spent afterwards.
    std::unique_ptr<ResultTable> Finish();

private:
    std::unique_ptr<ResultTable> table_;  // the table the builders fill
    std::vector<ColumnBuilder> builders_; // one per column, in order
    BlockPipeline pipeline_;              // after the builders: stopped before they go
    std::int64_t rows_ = 0;               // rows ended so far
};

}  // namespace qelvor::recordset
