// DataSource: fans a dataset's data events out to the data links attached to it.
//
// State mirrors the dataset's state, inactive while Enabled is off or no dataset is
// set. Events other than state changes reach the links only while State is not
// inactive: first the links of non-visual consumers, then the visual ones, each
// group in reverse order of attachment.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/Component.h"
#include "data/DataSet.h"

namespace qelvor {

class TDataLink;

class TDataSource : public TComponent {
public:
    using TNotifyEvent = std::function<void(TDataSource& sender)>;
    using TDataChangeEvent = std::function<void(TDataSource& sender, TField* field)>;

    explicit TDataSource(std::string name = {});
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    // Fails with "Circular datalinks are not allowed" when dataSet depends on this source.
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    TDataSetState State() const { return state_; }
    // Links in order of attachment.
    const std::vector<TDataLink*>& DataLinks() const { return dataLinks_; }

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;

    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);
    void DataEvent(TDataEvent event, std::intptr_t info);
    void NotifyDataLinks(TDataEvent event, std::intptr_t info);
    void UpdateState();
    bool IsLinkedTo(const TDataSet* dataSet) const;

    TDataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> dataLinks_;
    TDataSetState state_ = TDataSetState::dsInactive;
    bool enabled_ = true;
    bool autoEdit_ = true;
};

}  // namespace qelvor
