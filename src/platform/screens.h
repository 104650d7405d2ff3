#pragma once

#include "platform/geometry.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

namespace tavrin {

struct ScreenInfo {
    Rect frame;        // whole screen, top-left screen points
    Rect visibleFrame; // without menu bar, dock and panels
    QString localizedName;
    std::uint32_t displayNumber = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    std::uint32_t serialNumber = 0; // 0 when unknown
};

class Screens : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // In the system's order; the first holds the menu bar.
    virtual std::vector<ScreenInfo> screens() = 0;
    // How many times a second the first screen is drawn.
    virtual double refreshRate() { return 60; }

signals:
    void screensChanged();
};

} // namespace tavrin
