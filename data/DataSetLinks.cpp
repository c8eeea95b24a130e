// DataSet, links: the attached data sources, the chain of their links and the size
// of the record window they ask for.
#include "data/DataSet.h"

#include <algorithm>
#include "runtime/Assert.h"

#include "data/DataLink.h"
#include "data/DataSource.h"

namespace qelvor {

void TDataSet::AddDataSource(TDataSource* dataSource)
{
    dataSources_.push_back(dataSource);
    dataSource->dataSet_ = this;
    UpdateBufferCount();
    dataSource->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource* dataSource)
{
    dataSource->dataSet_ = nullptr;
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), dataSource), dataSources_.end());
    dataSource->UpdateState();
    UpdateBufferCount();
}

void TDataSet::UpdateBufferCount()
{
    if (!Active())
        return;
    // Prepend from the back so that the chain starts with the first link of the first source.
    firstLink_ = nullptr;
    int size = 1;
    for (auto source = dataSources_.rbegin(); source != dataSources_.rend(); ++source) {
        const auto& links = (*source)->dataLinks_;
        for (auto link = links.rbegin(); link != links.rend(); ++link) {
            (*link)->next_ = firstLink_;
            firstLink_ = *link;
            size = std::max(size, (*link)->bufferCount_);
        }
    }
    ResizeWindow(size);
}

void TDataSet::ResizeWindow(int newSize)
{
    QELVOR_ASSERT(newSize >= 1);
    if (newSize == windowSize_)
        return;
    if (newSize < windowSize_ && recordCount_ > 0) {
        // Keep the records the active record and every active link still show.
        int first = activeRecord_;
        for (TDataLink* link = firstLink_; link; link = link->next_) {
            if (link->active_ && link->firstRecord_ < first)
                first = link->firstRecord_;
        }
        const int bufferCount = windowSize_ + 1;
        if (first + newSize >= bufferCount)
            first = bufferCount - newSize - 1;
        std::rotate(buffers_.begin(), buffers_.begin() + first, buffers_.end());
        activeRecord_ -= first;
        recordCount_ = std::min(recordCount_ - first, newSize);
        // A cursor record that fell out of the kept slots is no longer known.
        if (cursorRecord_ >= 0)
            cursorRecord_ = cursorRecord_ - first < 0 || cursorRecord_ - first >= recordCount_ ? -1 : cursorRecord_ - first;
        for (TDataLink* link = firstLink_; link; link = link->next_) {
            if (link->active_)
                link->firstRecord_ -= first;
        }
        QELVOR_ASSERT(activeRecord_ >= 0 && activeRecord_ < std::max(recordCount_, 1));
    }
    buffers_.resize(static_cast<std::size_t>(newSize) + 1);
    windowSize_ = newSize;
    GetNextRecords();
    const int priorFetched = GetPriorRecords();
    for (TDataLink* link = firstLink_; link; link = link->next_) {
        if (link->active_)
            link->firstRecord_ += priorFetched;
    }
    AssertWindowConsistent();
}

}  // namespace qelvor
