#include "app/engineevents.h"

namespace tavrin {

EngineEvents& EngineEvents::shared()
{
    static EngineEvents* events = new EngineEvents;
    return *events;
}

} // namespace tavrin
