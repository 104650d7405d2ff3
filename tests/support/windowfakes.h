#pragma once

// Collaborators that tests register with window control: each forwards to a
// function the test sets (an unset one does nothing, or answers nothing).
// Register with the layer's call and keep the handle for the test.

#include "windows/moveobserver.h"
#include "windows/placementlearner.h"

#include <functional>

namespace tavrin {

struct FakeMoveObserver final : MoveObserver {
    std::function<void(int pid, const Rect& from, const Rect& to)> onMove;
    void willMove(int pid, const Rect& from, const Rect& to) override
    {
        if (onMove)
            onMove(pid, from, to);
    }
};

struct FakeLearner final : PlacementLearner {
    using Report = std::function<void(const QString& app, const Display& display, const UnitRect& unit, bool focus)>;
    Report onRecord;
    Report onUnrecord;
    std::function<std::vector<std::pair<int, int>>(const QStringList&, const std::vector<UnitRect>&, const Display&)>
        onPlacements;

    void record(const QString& app, const Display& display, const UnitRect& unit, bool focus) override
    {
        if (onRecord)
            onRecord(app, display, unit, focus);
    }
    void unrecord(const QString& app, const Display& display, const UnitRect& unit, bool focus) override
    {
        if (onUnrecord)
            onUnrecord(app, display, unit, focus);
    }
    std::vector<std::pair<int, int>> placements(const QStringList& apps, const std::vector<UnitRect>& zones,
                                                const Display& display) override
    {
        return onPlacements ? onPlacements(apps, zones, display) : std::vector<std::pair<int, int>>{};
    }
};

} // namespace tavrin
