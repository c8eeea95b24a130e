// GridDataLinkEh: the field map and the forwarding of link notifications to the grid.
#include "grid/GridDataLinkEh.h"

#include <algorithm>
#include "runtime/Assert.h"

#include "runtime/Exceptions.h"
#include "data/DataSet.h"
#include "grid/DataLinkGridEh.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

TGridDataLinkEh::TGridDataLinkEh(TDataLinkGridEh* grid) : grid_(grid)
{
    QELVOR_ASSERT(grid_);
    SetVisualControl(true);
}

TCustomDBGridEh* TGridDataLinkEh::Grid() const
{
    return grid_->DataGrid();
}

TGridDataLinkEh::~TGridDataLinkEh()
{
    ClearFieldMap();
}

void TGridDataLinkEh::ClearFieldMap()
{
    fieldMap_.clear();
    fieldMap_.shrink_to_fit();
    mapCount_ = 0;
}

bool TGridDataLinkEh::AddFieldMapping(const std::string& fieldName)
{
    if (mapCount_ >= kMaxMapSize)
        throw EGridError("Grid requested to display more than 256 columns");
    TDataSet* dataSet = DataSet();
    TField* field = nullptr;
    if (dataSet)
        field = sparseMap_ ? dataSet->FindField(fieldName) : dataSet->FieldByName(fieldName);
    if (mapCount_ == static_cast<int>(fieldMap_.size())) {
        const long long grown = fieldMap_.empty() ? 8 : 2LL * static_cast<long long>(fieldMap_.size());
        const long long capacity = std::min<long long>(std::max<long long>(grown, mapCount_ + 1LL), kMaxMapSize);
        fieldMap_.resize(static_cast<std::size_t>(capacity), -1);
    }
    int entry = -1;
    if (field) {
        entry = field->Index();
        field->FreeNotification(grid_->LinkFieldWatcher());
    }
    fieldMap_[static_cast<std::size_t>(mapCount_++)] = entry;
    return true;
}

TField* TGridDataLinkEh::MappedField(int dataCol) const
{
    if (dataCol < 0 || dataCol >= mapCount_)
        return nullptr;
    const int index = fieldMap_[static_cast<std::size_t>(dataCol)];
    TDataSet* dataSet = DataSet();
    if (index < 0 || !dataSet || index >= dataSet->FieldCount())
        return nullptr;
    return dataSet->Fields(index);
}

bool TGridDataLinkEh::DefaultFields() const
{
    TDataSet* dataSet = DataSet();
    if (!dataSet)
        return true;
    if (sparseMap_ && std::find(fieldMap_.begin(), fieldMap_.begin() + mapCount_, -1) != fieldMap_.begin() + mapCount_)
        return false;
    return dataSet->DefaultFields();
}

void TGridDataLinkEh::Reset()
{
    grid_->LinkReset();
}

void TGridDataLinkEh::ActiveChanged()
{
    grid_->LinkActiveChanged(Active());
    modifiedSinceEdit_ = false;
}

void TGridDataLinkEh::DataSetChanged()
{
    grid_->LinkDataChanged();
    modifiedSinceEdit_ = false;
}

void TGridDataLinkEh::DataSetScrolled(int distance)
{
    grid_->LinkScrolled(distance);
}

void TGridDataLinkEh::EditingChanged()
{
    grid_->LinkEditingChanged();
}

void TGridDataLinkEh::FocusControl(TField** field)
{
    grid_->LinkFocusField(field);
}

void TGridDataLinkEh::LayoutChanged()
{
    grid_->LinkLayoutChanged();
    TDataLink::LayoutChanged();
}

void TGridDataLinkEh::RecordChanged(TField* field)
{
    grid_->LinkRecordChanged(field);
    modifiedSinceEdit_ = false;
}

void TGridDataLinkEh::UpdateData()
{
    if (inUpdateData_)
        return;
    const ScopedFlag updating(inUpdateData_);
    grid_->LinkUpdateData();
}

}  // namespace qelvor
