#pragma once

#include "platform/geometry.h"
#include "windows/display.h"
#include "windows/unitrect.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace tavrin {

// Where window control calls into subsystems built on top of it (learning,
// Share-safe). Each slot is empty until its subsystem fills it at start-up;
// an empty slot does nothing. Main thread only.
struct WindowHooks {
    // A layout placed an application's window at `unit` on `display`;
    // `focus` for the main slot.
    std::function<void(const QString& app, const Display& display, const UnitRect& unit, bool focus)> recordPlacement;

    // Which application goes to which slot of a layout being applied: pairs
    // of (index into `apps`, index into `zones`). Empty: in the given order.
    std::function<std::vector<std::pair<int, int>>(const QStringList& apps, const std::vector<UnitRect>& zones,
                                                   const Display& display)>
        placements;

    // The program is about to move a window of process `pid` from `from` to
    // `to` (top-left screen points).
    std::function<void(int pid, const Rect& from, const Rect& to)> willMove;

    static WindowHooks& shared();
};

} // namespace tavrin
