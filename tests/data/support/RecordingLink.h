// RecordingLink: a data link that writes down every notification it receives.
#pragma once

#include <string>
#include <vector>

#include "data/DataLink.h"
#include "data/DataSource.h"

namespace qelvor::test {

class RecordingLink : public TDataLink {
public:
    explicit RecordingLink(std::string tag = {}, std::vector<std::string>* sharedLog = nullptr)
        : tag_(std::move(tag)), log_(sharedLog ? sharedLog : &ownLog_)
    {
    }

    // Every move checks browse mode; log those notifications only when asked to.
    bool logCheckBrowse = false;

    const std::vector<std::string>& Log() const { return *log_; }
    // Distances of the dataset-scrolled events as the dataset sent them.
    const std::vector<int>& RawScrolls() const { return rawScrolls_; }
    void ClearLog()
    {
        log_->clear();
        rawScrolls_.clear();
    }
    // The dataset IDs this link shows, record 0 first (reads the Name-less ID field).
    std::vector<int> VisibleIds() const;

protected:
    void DataEvent(TDataEvent event, std::intptr_t info) override
    {
        if (event == TDataEvent::deDataSetScroll && Active())
            rawScrolls_.push_back(static_cast<int>(info));
        TDataLink::DataEvent(event, info);
    }
    void ActiveChanged() override { Write(Active() ? "active" : "inactive"); }
    void CheckBrowseMode() override
    {
        if (logCheckBrowse)
            Write("checkbrowse");
    }
    void DataSetChanged() override { Write("changed"); }
    void DataSetScrolled(int distance) override { Write("scrolled:" + std::to_string(distance)); }
    void EditingChanged() override { Write("editing"); }
    void LayoutChanged() override { Write("layout"); }
    void RecordChanged(TField*) override { Write("record"); }

private:
    void Write(const std::string& entry) { log_->push_back(tag_.empty() ? entry : tag_ + ":" + entry); }

    std::string tag_;
    std::vector<std::string> ownLog_;
    std::vector<int> rawScrolls_;
    std::vector<std::string>* log_;
};

inline std::vector<int> RecordingLink::VisibleIds() const
{
    std::vector<int> ids;
    TDataSet* dataSet = DataSet();
    const int saved = dataSet->ActiveRecord();
    for (int i = 0; i < RecordCount(); ++i) {
        const_cast<RecordingLink*>(this)->SetActiveRecord(i);
        ids.push_back(static_cast<int>(dataSet->Fields(0)->Value().Get<std::int64_t>()));
    }
    dataSet->SetActiveRecordSlot(saved);
    return ids;
}

}  // namespace qelvor::test
