#include "platform/clickcounter.h"

#include <cmath>

namespace tavrin {

int ClickCounter::press(Point location, double seconds)
{
    const bool goesOn =
        count_ > 0 && seconds - last_ <= interval_ && std::hypot(location.x - at_.x, location.y - at_.y) <= kRadius;
    count_ = goesOn ? count_ + 1 : 1;
    last_ = seconds;
    at_ = location;
    return count_;
}

} // namespace tavrin
