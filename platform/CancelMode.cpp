#include "platform/CancelMode.h"

#include <algorithm>
#include <vector>

namespace qelvor {

namespace {

std::vector<TCancelModeTarget*>& Targets()
{
    static std::vector<TCancelModeTarget*> targets;
    return targets;
}

}  // namespace

TCancelModeTarget::TCancelModeTarget()
{
    Targets().push_back(this);
}

TCancelModeTarget::~TCancelModeTarget()
{
    auto& targets = Targets();
    targets.erase(std::remove(targets.begin(), targets.end(), this), targets.end());
}

void CancelModes()
{
    // A target may go away while another one cancels: walk a copy and skip the gone.
    const std::vector<TCancelModeTarget*> targets = Targets();
    for (TCancelModeTarget* target : targets) {
        const auto& live = Targets();
        if (std::find(live.begin(), live.end(), target) == live.end())
            continue;
        try {
            target->CancelMode();
        } catch (...) {
            // Cancelling is best effort: the failure being reported matters more.
        }
    }
}

}  // namespace qelvor
