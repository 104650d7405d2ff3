#include "platform/sim/simhotkeys.h"

#include "platform/sim/simdesktop.h"

#include <algorithm>

namespace tavrin {

int SimHotKeys::registerHotKey(std::uint32_t signature, std::uint32_t id, std::uint32_t keyCode,
                               std::uint32_t modifiers)
{
    const SimKey key{keyCode, modifiers};
    const auto& refused = desktop_.refusedHotKeys();
    if (std::find(refused.begin(), refused.end(), key) != refused.end())
        return kStatusKeyInUse;
    auto same = [&](const Registration& r) { return r.signature == signature && r.id == id; };
    for (const Registration& r : registrations_) {
        if (r.key == key && !same(r))
            return kStatusKeyInUse;
    }
    std::erase_if(registrations_, same);
    registrations_.push_back(Registration{signature, id, key});
    return kStatusNoError;
}

void SimHotKeys::unregisterHotKey(std::uint32_t signature, std::uint32_t id)
{
    std::erase_if(registrations_, [&](const Registration& r) { return r.signature == signature && r.id == id; });
}

bool SimHotKeys::isRegistered(SimKey key) const
{
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [&](const Registration& r) { return r.key == key; });
}

bool SimHotKeys::press(SimKey key)
{
    for (const Registration& r : registrations_) {
        if (r.key == key) {
            const std::uint32_t signature = r.signature, id = r.id;
            desktop_.post([this, signature, id] { emit pressed(signature, id); });
            return true;
        }
    }
    return false;
}

} // namespace tavrin
