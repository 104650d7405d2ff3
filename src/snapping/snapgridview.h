#pragma once

#include "snapping/hudface.h"
#include "windows/snaptarget.h"

#include <array>

namespace tavrin {

class SnapCell;

// The snap overlay's face while the letter grid is on: the application's
// name and the zone the window is in (or "Pick a position"), the nine zones
// in reading order, each showing its key, and a reminder that releasing ⌃⌥
// closes it. A click on a zone snaps the focused window there.
class SnapGridView : public HUDFace {
    Q_OBJECT
public:
    explicit SnapGridView(SnapHUDController& hud, QWidget* parent = nullptr);

    SnapCell* cell(SnapTarget target) const { return cells_[static_cast<std::size_t>(target)]; }

private:
    void fitToAspect();
    void showState();
    void snap(SnapTarget target);

    std::array<SnapCell*, 9> cells_{};
};

} // namespace tavrin
