#pragma once

#include "platform/geometry.h"

namespace tavrin {

// Told before the program moves a window of another application (Share-safe
// covers both frames, so a private window never shows mid-move).
class MoveObserver {
public:
    virtual ~MoveObserver() = default;
    // A window of process `pid` is about to go from `from` to `to` (top-left
    // screen points). Main thread.
    virtual void willMove(int pid, const Rect& from, const Rect& to) = 0;
};

} // namespace tavrin
