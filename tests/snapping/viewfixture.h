#pragma once

#include "hudfixture.h"
#include "snapping/arrowkey.h"
#include "snapping/arrowpadview.h"
#include "snapping/hudrow.h"
#include "snapping/keydisplay.h"
#include "snapping/snapcell.h"
#include "snapping/snapgridview.h"
#include "snapping/snaphudview.h"

#include <QByteArray>
#include <QCoreApplication>

namespace tavrin {

// One display whose visible area is `width` × 1000 points (under a 24-point
// menu bar), so its aspect is width / 1000, with one focused window of
// "Editor" on it at `window`; with `side`, a second display to its right.
inline QByteArray oneDisplay(double width, const Rect& window = {100, 100, 800, 600}, bool side = false)
{
    return QStringLiteral(R"({"trusted": true, "frontmost": "Editor",
        "displays": [{"name": "Screen", "frame": [0, 0, %1, 1024]}%6],
        "apps": [{"name": "Editor"}],
        "windows": [{"app": "Editor", "title": "notes.txt", "frame": [%2, %3, %4, %5]}]})")
        .arg(width)
        .arg(window.x)
        .arg(window.y)
        .arg(window.width)
        .arg(window.height)
        .arg(side ? QStringLiteral(R"(, {"name": "Side", "frame": [%1, 0, 1600, 1024]})").arg(width) : QString())
        .toUtf8();
}

// The overlay's view over a one-display desktop (two with `side`): `view`
// shows what `hud` publishes after a show.
struct ViewDesk : HUDDesk {
    explicit ViewDesk(double displayWidth = 1600, const Rect& window = {100, 100, 800, 600}, bool side = false)
        : HUDDesk(oneDisplay(displayWidth, window, side))
    {}

    // Shows the overlay (the letter grid as asked) and its view, laid out.
    SnapHUDView& open(bool letters = false)
    {
        env.defaults.setValue(SnapHUDController::kLettersKey, letters);
        hud.show();
        if (!view)
            view = std::make_unique<SnapHUDView>(hud, 40);
        view->show();
        QCoreApplication::sendPostedEvents();
        view->adjustSize();
        QCoreApplication::sendPostedEvents();
        return *view;
    }

    std::unique_ptr<SnapHUDView> view;
};

} // namespace tavrin
