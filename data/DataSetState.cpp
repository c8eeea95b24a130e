// DataSet, state: opening, closing, the data events and the controls-disabled
// bookkeeping.
#include "data/DataSet.h"

#include "data/DataSource.h"
#include "runtime/Assert.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

namespace {
const char* const kClosedDataSet = "Cannot perform this operation on a closed dataset";
}  // namespace

TDataSet::TDataSet(std::string name) : TComponent(std::move(name)) {}

TDataSet::~TDataSet()
{
    BeginDestroy();
    // Derived datasets close in their own destructor: the record source is theirs.
    QELVOR_ASSERT(!Active());
    while (!dataSources_.empty())
        dataSources_.back()->SetDataSet(nullptr);
    DestroyFields();
}

void TDataSet::SetActive(bool active)
{
    if (active == Active())
        return;
    if (active) {
        DoNotify(BeforeOpen);
        OpenCursor();
        SetState(TDataSetState::dsBrowse);
        DoNotify(AfterOpen);
    } else {
        if (!Destroying())
            DoNotify(BeforeClose);
        SetState(TDataSetState::dsInactive);
        CloseCursor();
        if (!Destroying())
            DoNotify(AfterClose);
    }
}

void TDataSet::OpenCursor()
{
    // The opening state is internal: links stay inactive until the window is loaded.
    state_ = TDataSetState::dsOpening;
    ScopeExit rollBack([this] {
        state_ = TDataSetState::dsInactive;
        CloseCursor();
    });
    if (fields_.empty())
        defaultFields_ = true;
    ClearBuffers();
    InternalOpen();
    UpdateBufferCount();
    bof_ = true;
    AssertWindowConsistent();
    rollBack.Dismiss();
}

void TDataSet::CloseCursor()
{
    FreeBuffers();
    if (defaultFields_)
        DestroyFields();
    defaultFields_ = false;
    firstLink_ = nullptr;
    InternalClose();
}

void TDataSet::SetState(TDataSetState state)
{
    if (state == state_)
        return;
    state_ = state;
    DataEvent(TDataEvent::deUpdateState, 0);
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info)
{
    QELVOR_ASSERT(std::this_thread::get_id() == ownerThread_);
    bool sendWhileDisabled = false;
    if (disableCount_ != 0) {
        if (event == TDataEvent::deLayoutChange) {
            enableEvent_ = TDataEvent::deLayoutChange;
        } else if (event == TDataEvent::deUpdateState) {
            // Controls must still learn whether there is anything to show at all.
            event = TDataEvent::deDisabledStateChange;
            info = state_ != TDataSetState::dsInactive;
            enableEvent_ = TDataEvent::deLayoutChange;
            sendWhileDisabled = true;
        }
    }
    if ((disableCount_ != 0 && !sendWhileDisabled) || state_ == TDataSetState::dsBlockRead)
        return;
    // A source may detach itself while it is told, hence the index and its check.
    for (std::size_t i = 0; i < dataSources_.size(); ++i)
        dataSources_[i]->DataEvent(event, info);
}

void TDataSet::DisableControls()
{
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = TDataEvent::deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ != 0)
        return;
    if (disableState_ != state_)
        DataEvent(TDataEvent::deUpdateState, 0);
    if (disableState_ != TDataSetState::dsInactive && state_ != TDataSetState::dsInactive)
        DataEvent(enableEvent_, 0);
}

void TDataSet::CheckActive() const
{
    if (!Active())
        DatabaseError(kClosedDataSet, Name());
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(TDataEvent::deCheckBrowseMode, 0);
}

void TDataSet::Cancel()
{
    // Records are never edited through the window (no editing state is ever entered),
    // so there is never a pending change to undo.
}

void TDataSet::DoNotify(const TDataSetNotifyEvent& event)
{
    if (event)
        event(*this);
}

}  // namespace qelvor
