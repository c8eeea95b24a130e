#include "runtime/Component.h"

#include <algorithm>

namespace qelvor {

namespace {
void EraseValue(std::vector<TComponent*>& list, TComponent* value)
{
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}
}  // namespace

TComponent::~TComponent()
{
    BeginDestroy();
    // Copy: a listener may withdraw other requests while it is told.
    const std::vector<TComponent*> listeners = listeners_;
    for (TComponent* listener : listeners) {
        EraseValue(listener->subjects_, this);
        listener->Notification(this, TOperation::opRemove);
    }
    for (TComponent* subject : subjects_)
        EraseValue(subject->listeners_, this);
}

void TComponent::FreeNotification(TComponent* listener)
{
    if (!listener || listener == this)
        return;
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) {
        listeners_.push_back(listener);
        listener->subjects_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* listener)
{
    if (!listener)
        return;
    EraseValue(listeners_, listener);
    EraseValue(listener->subjects_, this);
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::BeginDestroy()
{
    destroying_ = true;
}

}  // namespace qelvor
