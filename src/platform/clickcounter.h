#pragma once

#include "platform/geometry.h"

namespace tavrin {

// Counts the clicks of a run of presses, as a desktop tells a double click:
// a press that comes within the double-click interval of the one before and
// within kRadius points of it goes on the run, any other starts a new one.
class ClickCounter {
public:
    static constexpr double kRadius = 4;

    // `interval`: the desktop's double-click time, seconds.
    explicit ClickCounter(double interval) : interval_(interval) {}

    // A press at `location` at `seconds` (any clock that never goes back):
    // its click count, 1 for the first of a run.
    int press(Point location, double seconds);

private:
    double interval_;
    int count_ = 0;
    double last_ = 0;
    Point at_;
};

} // namespace tavrin
