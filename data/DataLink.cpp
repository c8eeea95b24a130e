#include "data/DataLink.h"

#include <algorithm>

#include "data/DataSource.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

namespace {

bool IsEditingState(TDataSetState state)
{
    return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert || state == TDataSetState::dsSetKey;
}

}  // namespace

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    dataSourceFixed_ = false;
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* dataSource)
{
    if (dataSource == dataSource_)
        return;
    if (dataSourceFixed_)
        DatabaseError("DataSource cannot be changed", dataSource_ ? dataSource_->Name() : std::string());
    if (dataSource_)
        dataSource_->RemoveDataLink(this);
    if (dataSource)
        dataSource->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const
{
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool readOnly)
{
    if (readOnly == readOnly_)
        return;
    readOnly_ = readOnly;
    UpdateState();
}

bool TDataLink::InSetKeyState() const
{
    return dataSource_ && dataSource_->State() == TDataSetState::dsSetKey;
}

int TDataLink::ActiveRecord() const
{
    const TDataSet* dataSet = DataSet();
    if (!dataSet || InSetKeyState())
        return 0;
    return dataSet->ActiveRecord() - firstRecord_;
}

void TDataLink::SetActiveRecord(int value)
{
    TDataSet* dataSet = DataSet();
    if (dataSet && !InSetKeyState())
        dataSet->SetActiveRecordSlot(value + firstRecord_);
}

void TDataLink::SetBufferCount(int value)
{
    if (value == bufferCount_)
        return;
    bufferCount_ = value;
    if (!active_)
        return;
    UpdateRange();
    DataSet()->UpdateBufferCount();
    UpdateRange();
}

int TDataLink::RecordCount() const
{
    const TDataSet* dataSet = DataSet();
    if (!dataSet)
        return 0;
    if (InSetKeyState())
        return 1;
    return std::min(bufferCount_, dataSet->WindowRecordCount());
}

bool TDataLink::Bof() const
{
    const TDataSet* dataSet = DataSet();
    return !dataSet || dataSet->Bof();
}

bool TDataLink::Eof() const
{
    const TDataSet* dataSet = DataSet();
    return !dataSet || dataSet->Eof();
}

int TDataLink::MoveBy(int distance)
{
    return DataSet()->MoveBy(distance);
}

void TDataLink::DataSetChanged()
{
    RecordChanged(nullptr);
}

void TDataLink::DataSetScrolled(int)
{
    DataSetChanged();
}

void TDataLink::LayoutChanged()
{
    DataSetChanged();
}

void TDataLink::UpdateState()
{
    const TDataSetState state = dataSource_ ? dataSource_->State() : TDataSetState::dsInactive;
    const bool active = dataSource_ && state != TDataSetState::dsInactive;
    const bool editing = dataSource_ && IsEditingState(state) && !readOnly_;
    if (active != active_) {
        active_ = active;
        if (active)
            UpdateRange();
        else
            firstRecord_ = 0;
        ActiveChanged();
    }
    if (editing != editing_) {
        editing_ = editing;
        EditingChanged();
    }
}

void TDataLink::UpdateRange()
{
    const TDataSet* dataSet = DataSet();
    const int active = dataSet->ActiveRecord();
    const int lower = std::max(0, active - bufferCount_ + 1);
    const int upper = std::min(std::max(0, dataSet->WindowRecordCount() - bufferCount_), active);
    if (firstRecord_ < lower)
        firstRecord_ = lower;
    if (firstRecord_ > upper)
        firstRecord_ = upper;
    if (firstRecord_ != 0 && active - firstRecord_ < bufferCount_ - 1)
        --firstRecord_;
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info)
{
    if (event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_)
        return;
    switch (event) {
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange:
        if (!updating_)
            RecordChanged(reinterpret_cast<TField*>(info));
        break;
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
    case TDataEvent::deLayoutChange: {
        int shift = 0;
        if (!InSetKeyState()) {
            const int active = DataSet()->ActiveRecord();
            const int first = firstRecord_ + (event == TDataEvent::deDataSetScroll ? static_cast<int>(info) : 0);
            const int last = first + bufferCount_ - 1;
            if (active > last)
                shift = active - last;
            else if (active < first)
                shift = active - first;
            firstRecord_ = first + shift;
        }
        if (event == TDataEvent::deDataSetChange)
            DataSetChanged();
        else if (event == TDataEvent::deDataSetScroll)
            DataSetScrolled(shift);
        else
            LayoutChanged();
        break;
    }
    case TDataEvent::deUpdateRecord: {
        const ScopedFlag updating(updating_);
        UpdateData();
        break;
    }
    case TDataEvent::deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case TDataEvent::deFocusControl:
        FocusControl(reinterpret_cast<TField**>(info));
        break;
    default:
        break;
    }
}

}  // namespace qelvor
