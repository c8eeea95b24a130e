// GridDataLinkEh: the data grid's link to its dataset and the field map.
//
// Entry i of the field map is the dataset field index shown by data column i, or -1
// (a sparse map, built by name from persistent columns, may hold -1 entries). The
// link forwards every notification to its grid (through TDataLinkGridEh); the grid
// does the work.
//
// Invariants: 0 <= FieldMapCount() <= FieldMapCapacity() <= kMaxMapSize.
#pragma once

#include <string>
#include <vector>

#include "data/DataLink.h"

namespace qelvor {

class TCustomDBGridEh;
class TDataLinkGridEh;

class TGridDataLinkEh : public TDataLink {
public:
    explicit TGridDataLinkEh(TDataLinkGridEh* grid);
    ~TGridDataLinkEh() override;

    TCustomDBGridEh* Grid() const;

    // Frees the map.
    void ClearFieldMap();
    // Appends the field of that name (or -1); raises the grid error at the hard limit.
    bool AddFieldMapping(const std::string& fieldName);
    // The field shown by data column `dataCol`, or nullptr.
    TField* MappedField(int dataCol) const;
    int FieldMapCount() const { return mapCount_; }
    int FieldMapCapacity() const { return static_cast<int>(fieldMap_.size()); }
    bool SparseMap() const { return sparseMap_; }
    void SetSparseMap(bool value) { sparseMap_ = value; }
    // True without a dataset, else the dataset's default-fields flag; false for a
    // sparse map holding a -1 entry.
    bool DefaultFields() const;
    bool ModifiedSinceEdit() const { return modifiedSinceEdit_; }
    void SetModifiedSinceEdit(bool value) { modifiedSinceEdit_ = value; }
    // Sends a reset of the editing state (cancel) through the grid.
    void Reset();

    // The map's hard limit (2^28 - 1 entries).
    static constexpr int kMaxMapSize = (1 << 28) - 1;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void EditingChanged() override;
    void FocusControl(TField** field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    TDataLinkGridEh* grid_;  // the grid the notifications go to (never null)
    std::vector<int> fieldMap_;  // per data column the field index shown (-1: none); grown by doubling
    int mapCount_ = 0;  // entries of fieldMap_ in use
    bool sparseMap_ = false;  // the map is built by name from persistent columns and may hold -1
    bool modifiedSinceEdit_ = false;  // the current record was modified since editing began
    bool inUpdateData_ = false;  // UpdateData is running (a nested call does nothing)
};

}  // namespace qelvor
