#pragma once

#include "snapping/hudface.h"
#include "windows/arrow.h"

#include <array>

namespace tavrin {

class ArrowKey;

// The snap overlay's face while the letter grid is off: the application's
// name and where its window is now, the four arrow keys and the fill key,
// each showing where it would put the window, and the hints for resizing and
// for the other display. A key's symbol follows its binding at once. Clicks
// move the focused window; the pointer on an arrow key outlines where that
// arrow would put it.
class ArrowPadView : public HUDFace {
    Q_OBJECT
public:
    explicit ArrowPadView(SnapHUDController& hud, QWidget* parent = nullptr);

    HUDRow* footer() const { return footer_; }
    ArrowKey* key(Arrow arrow) const { return keys_[static_cast<std::size_t>(arrow)]; }
    ArrowKey* fillKey() const { return fill_; }

    // The footer's hints, each only where it works: again on an arrow key
    // another program does not hold; a corner with a free key on each axis;
    // the other display with its keys held here and another display there.
    static inline const QString kAgainHint = QStringLiteral("Press again to resize");
    static inline const QString kResizeHint = QStringLiteral("Press again to resize · two arrows make a corner");
    static inline const QString kDisplayHint = QStringLiteral(" ← → other display");

private:
    void fitToAspect();
    void showState();
    void showBindings();
    void showHints();
    void hover(Arrow arrow, bool on);
    void press(Arrow arrow);
    void fill();

    HUDRow* footer_;
    std::array<ArrowKey*, 4> keys_{};
    ArrowKey* fill_;
};

} // namespace tavrin
