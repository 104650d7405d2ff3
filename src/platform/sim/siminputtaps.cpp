#include "platform/sim/siminputtaps.h"

#include "platform/clock.h"
#include "platform/eventmonitors.h"
#include "platform/hotkeys.h"
#include "platform/sim/simdesktop.h"

#include <cmath>

namespace tavrin {

bool SimInputTaps::start(Filter filter, double, QString* problem)
{
    if (filter_)
        return true;
    if (refused_) {
        if (problem)
            *problem = QStringLiteral("This process may not watch the desktop's input.");
        return false;
    }
    filter_ = std::move(filter);
    ++starts_;
    ++run_;
    return true;
}

void SimInputTaps::stop()
{
    filter_ = nullptr;
    ++run_;
}

std::uint64_t SimInputTaps::now() const { return std::uint64_t(std::llround(desktop_.clock().monotonic() * 1e9)); }

void SimInputTaps::deliver(TapEvent::Type type, Point location)
{
    TapEvent e;
    e.type = type;
    e.location = location;
    e.timestamp = now();
    e.flags = desktop_.modifierFlags();
    if (type == TapEvent::Type::leftMouseDown)
        clickCount_ = clicks_.press(location, desktop_.clock().monotonic());
    if (type == TapEvent::Type::leftMouseDown || type == TapEvent::Type::leftMouseUp)
        e.clickCount = clickCount_;
    handOn(e);
}

void SimInputTaps::deliverKey(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    TapEvent e;
    e.type = TapEvent::Type::keyDown;
    e.location = desktop_.mouseLocation();
    e.timestamp = now();
    e.keyCode = keyCode;
    e.flags = ((carbonModifiers & modifier::command) ? modflag::command : 0)
              | ((carbonModifiers & modifier::shift) ? modflag::shift : 0)
              | ((carbonModifiers & modifier::option) ? modflag::option : 0)
              | ((carbonModifiers & modifier::control) ? modflag::control : 0);
    handOn(e);
}

void SimInputTaps::handOn(const TapEvent& event)
{
    if (!filter_ || !filter_(event))
        return;
    desktop_.clock().singleShot(0, this, [this, event, run = run_] {
        if (run == run_ && filter_)
            emit this->event(event);
    });
}

} // namespace tavrin
