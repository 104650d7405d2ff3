#pragma once

#include "windows/display.h"
#include "windows/unitrect.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace tavrin {

// Learns where applications are put and advises where they go: layouts and
// arrangements report their placements to it, undo takes them back, and a
// layout being applied asks it which window takes which slot. Main thread.
class PlacementLearner {
public:
    virtual ~PlacementLearner() = default;

    // An application's window was placed at `unit` on `display`; `focus`
    // for the main slot.
    virtual void record(const QString& app, const Display& display, const UnitRect& unit, bool focus) = 0;
    // Takes back a placement reported earlier with the same arguments.
    virtual void unrecord(const QString& app, const Display& display, const UnitRect& unit, bool focus) = 0;
    // Which application goes to which slot of a layout being applied: pairs
    // of (index into `apps`, index into `zones`); applications it leaves out
    // take the free slots in order. Pairs out of range or repeated are
    // ignored.
    virtual std::vector<std::pair<int, int>> placements(const QStringList& apps, const std::vector<UnitRect>& zones,
                                                        const Display& display) = 0;
};

} // namespace tavrin
