// Component: named objects that can ask to be told when another one is destroyed.
//
// Datasets, data sources and fields are components; the grid registers for the
// destruction of its data source and of the fields it shows (FreeNotification) and
// drops its references in Notification. A component being destroyed tells every
// registered listener once and removes itself from the lists of the components it
// listens to, so no dangling reference survives either side.
#pragma once

#include <string>
#include <vector>

namespace qelvor {

enum class TOperation { opInsert, opRemove };

class TComponent {
public:
    explicit TComponent(std::string name = {}) : name_(std::move(name)) {}
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    // Asks that listener->Notification(this, opRemove) be called when this is destroyed.
    void FreeNotification(TComponent* listener);
    // Withdraws a FreeNotification request.
    void RemoveFreeNotification(TComponent* listener);

    // True while a stored layout is being read into the component.
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }
    // True from the start of the destructor chain (set by the most derived destructor).
    bool Destroying() const { return destroying_; }

protected:
    // Called for every component this one registered with, when that one is destroyed.
    virtual void Notification(TComponent* component, TOperation operation);
    // Derived destructors call this first so that overrides see the destroying state.
    void BeginDestroy();

private:
    std::string name_;
    std::vector<TComponent*> listeners_;   // told when this one goes
    std::vector<TComponent*> subjects_;    // this one listens to them
    bool loading_ = false;
    bool destroying_ = false;
};

}  // namespace qelvor
