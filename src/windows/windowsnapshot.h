#pragma once

#include "windows/unitrect.h"

#include <QString>
#include <QUuid>

namespace tavrin {

// A window as previews show it.
struct WindowSnapshot {
    QUuid id;
    QString appName;
    QString title; // "Window" when the window has none
    UnitRect unit; // on its display
    bool isFocused = false;
    QString identity; // AXWindow::id()
};

} // namespace tavrin
