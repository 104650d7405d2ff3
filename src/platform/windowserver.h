#pragma once

#include "platform/geometry.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tavrin {

// One entry of the window server's on-screen list.
struct WindowInfo {
    std::uint32_t number = 0;
    int ownerPid = 0;
    QString ownerName;
    int layer = 0; // 0 for normal windows; panels and menus are above
    Rect bounds;   // top-left screen points
    double alpha = 1.0;
};

// How windows' title bars are laid out on a desktop, as a press on a window
// is judged; distances in points from the window's outer frame.
struct TitleBar {
    // A span across the title bar, measured from the window's left edge, or
    // from its right edge where the buttons stand on the right.
    struct Span {
        double from = 0;
        double to = 0;
    };
    // A press within this of an edge (inside it, or outside it as far) resizes.
    double resizeEdge = 5;
    // A press less than this below the top may drag the window.
    double dragHeight = 60;
    // The strip along the top that holds the buttons.
    double buttonHeight = 44;
    Span minimise{26, 48};
    Span zoom{48, 80};
    bool buttonsOnRight = false;
    // A minimised window travels into this strip along its screen's bottom.
    double minimiseStrip = 90;
};

// The compositor's view of windows, independent of Accessibility.
class WindowServer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Every on-screen window, front to back.
    virtual std::vector<WindowInfo> onScreenWindows() = 0;
    virtual std::optional<Rect> windowBounds(std::uint32_t number) = 0;
    // The title bars of this desktop's windows.
    virtual TitleBar titleBar() const { return {}; }
    // Whether the latest list was read whole from a current state. One
    // that was not (the server did not answer in time, or what was kept of
    // it did not agree with itself) may lack windows that are there.
    virtual bool listComplete() const { return true; }
    // Whether `changed` is told of every window that comes, goes or is
    // restacked (moves and resizes alone may pass untold); otherwise readers
    // must ask again to see changes.
    virtual bool announcesChanges() const { return false; }

signals:
    // The list may have changed: a window came, went or was restacked.
    void changed();
};

} // namespace tavrin
