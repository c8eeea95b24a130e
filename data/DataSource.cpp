#include "data/DataSource.h"

#include <algorithm>

#include "data/DataLink.h"
#include "runtime/Exceptions.h"

namespace qelvor {

TDataSource::TDataSource(std::string name) : TComponent(std::move(name)) {}

TDataSource::~TDataSource()
{
    BeginDestroy();
    SetDataSet(nullptr);
    while (!dataLinks_.empty())
        RemoveDataLink(dataLinks_.back());
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_)
        return;
    if (IsLinkedTo(dataSet))
        DatabaseError("Circular datalinks are not allowed", Name());
    if (dataSet_)
        dataSet_->RemoveDataSource(this);
    if (dataSet)
        dataSet->AddDataSource(this);
}

void TDataSource::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    UpdateState();
}

bool TDataSource::IsLinkedTo(const TDataSet* dataSet) const
{
    // Follow master sources upwards; reaching this source closes a circle.
    while (dataSet) {
        const TDataSource* master = dataSet->MasterSource();
        if (!master)
            return false;
        if (master == this)
            return true;
        dataSet = master->DataSet();
    }
    return false;
}

void TDataSource::AddDataLink(TDataLink* link)
{
    dataLinks_.push_back(link);
    link->dataSource_ = this;
    if (dataSet_)
        dataSet_->UpdateBufferCount();
    link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link)
{
    link->dataSource_ = nullptr;
    dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), link), dataLinks_.end());
    link->UpdateState();
    if (dataSet_)
        dataSet_->UpdateBufferCount();
}

void TDataSource::UpdateState()
{
    const TDataSetState state = enabled_ && dataSet_ ? dataSet_->State() : TDataSetState::dsInactive;
    if (state == state_)
        return;
    const TDataSetState prior = state_;
    state_ = state;
    NotifyDataLinks(TDataEvent::deUpdateState, 0);
    if (Destroying())
        return;
    if (OnStateChange)
        OnStateChange(*this);
    if (prior == TDataSetState::dsInactive && OnDataChange)
        OnDataChange(*this, nullptr);
}

void TDataSource::NotifyDataLinks(TDataEvent event, std::intptr_t info)
{
    // Non-visual consumers first, so that visual ones paint data already updated;
    // a link may detach itself while told, hence the index checks.
    for (const bool visual : {false, true}) {
        for (std::size_t i = dataLinks_.size(); i-- > 0;) {
            if (i >= dataLinks_.size())
                continue;
            TDataLink* link = dataLinks_[i];
            if (link->VisualControl() == visual)
                link->DataEvent(event, info);
        }
    }
}

void TDataSource::DataEvent(TDataEvent event, std::intptr_t info)
{
    if (event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == TDataSetState::dsInactive)
        return;
    NotifyDataLinks(event, info);
    switch (event) {
    case TDataEvent::deFieldChange:
        if (OnDataChange)
            OnDataChange(*this, reinterpret_cast<TField*>(info));
        break;
    case TDataEvent::deRecordChange:
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
    case TDataEvent::deLayoutChange:
        if (OnDataChange)
            OnDataChange(*this, nullptr);
        break;
    case TDataEvent::deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(*this);
        break;
    default:
        break;
    }
}

}  // namespace qelvor
