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
    int layer = 0;      // 0 for normal windows; panels and menus are above
    Rect bounds;        // top-left screen points
    double alpha = 1.0;
};

// The compositor's view of windows, independent of Accessibility.
class WindowServer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Every on-screen window, front to back.
    virtual std::vector<WindowInfo> onScreenWindows() = 0;
    virtual std::optional<Rect> windowBounds(std::uint32_t number) = 0;
};

} // namespace tavrin
