// Components: free notifications in both directions and component messages.
#include <cstdint>

#include <gtest/gtest.h>

#include <memory>

#include "runtime/Component.h"
#include "runtime/Exceptions.h"

namespace qelvor {
namespace {

class Listener : public TComponent {
public:
    using TComponent::TComponent;
    std::vector<TComponent*> removed;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        if (operation == TOperation::opRemove)
            removed.push_back(component);
    }
};

TEST(ComponentFreeNotification, ListenerIsToldOnceAndNeverAfterwards)
{
    Listener listener("L");
    auto subject = std::make_unique<TComponent>("S");
    TComponent* raw = subject.get();
    subject->FreeNotification(&listener);
    subject->FreeNotification(&listener);
    subject.reset();
    EXPECT_EQ(listener.removed, std::vector<TComponent*>{raw});

    auto withdrawn = std::make_unique<TComponent>("W");
    withdrawn->FreeNotification(&listener);
    withdrawn->RemoveFreeNotification(&listener);
    withdrawn.reset();
    EXPECT_EQ(listener.removed.size(), 1u);
}

TEST(ComponentFreeNotification, ListenerDestroyedFirstLeavesNothingBehind)
{
    Listener remaining("R");
    auto subject = std::make_unique<Listener>("S");
    const auto subjectAddress = reinterpret_cast<std::uintptr_t>(subject.get());
    TComponent* goneAddress = nullptr;
    {
        Listener gone("G");
        goneAddress = &gone;
        subject->FreeNotification(&gone);
        gone.FreeNotification(subject.get());
        subject->FreeNotification(&remaining);
    }
    EXPECT_EQ(subject->removed, std::vector<TComponent*>{goneAddress});
    subject.reset();  // must not reach the destroyed listener
    ASSERT_EQ(remaining.removed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(remaining.removed[0]), subjectAddress);
}

TEST(ComponentMessages, NamedAndUnnamed)
{
    EXPECT_EQ(ComponentMessage("QELV_Set", "Text"), "QELV_Set: Text");
    EXPECT_EQ(ComponentMessage("", "Text"), "Text");
    try {
        DatabaseError("Broken", "Data");
        FAIL();
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Message(), "Data: Broken");
    }
}

}  // namespace
}  // namespace qelvor
