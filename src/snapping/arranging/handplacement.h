#pragma once

#include "platform/geometry.h"
#include "platform/taskhandle.h"
#include "windows/axwindow.h"
#include "windows/unitrect.h"

#include <QMetaObject>
#include <QObject>
#include <optional>
#include <vector>

namespace tavrin {

class Accessibility;
class Clock;
class EventMonitors;
class Learning;
struct Platform;

// Learns the placements the user makes with the mouse in other applications:
// when a left-button press and release leave the window in front clearly
// moved or resized, against at least two edges of its display's visible
// area, the window's unit rectangle there is reported to learning (not as
// the main slot of a layout). It watches the global mouse monitors, which see
// only what goes to other applications. Main thread only.
class HandPlacement : public QObject {
    Q_OBJECT
public:
    // The window in front is read this long after a press (the press itself
    // may bring it to the front), and again this long after the release
    // (the window manager may still be settling it).
    static constexpr double kPressDelay = 0.06;
    static constexpr double kReleaseDelay = 0.7;
    // A window has moved once an edge or its size changed by more than this.
    static constexpr double kMinChange = 20;
    // Placements the program itself reported this recently are not learnt again.
    static constexpr double kQuietAfterRecord = 1.5;

    // Learns into `learning`; watches the platform's mouse monitors (none:
    // nothing is learnt) and reads windows through its Accessibility.
    HandPlacement(Learning& learning, const Platform& platform, QObject* parent = nullptr);

    // Watches the mouse from now on; a second call does nothing.
    void start();
    bool isStarted() const { return !monitors_.empty(); }

    // Whether a window standing at `unit` was put somewhere on purpose: it
    // touches at least two edges of the area (within 2 %), is more than 20 %
    // high and more than 12 % wide.
    static bool isPlacement(const UnitRect& unit);

private:
    struct Pressed {
        AXWindow window;
        Rect frame;
    };
    void pressed();
    void released();
    void learn(const AXWindow& window, const Rect& before);

    Learning& learning_;
    Clock& clock_;
    Accessibility& accessibility_;
    EventMonitors* eventMonitors_;
    std::vector<QMetaObject::Connection> monitors_;
    std::optional<Pressed> pressed_;
    TaskHandle pressTask_;
};

} // namespace tavrin
