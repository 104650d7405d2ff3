#pragma once

#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/unitrect.h"
#include "workspaces/browsertabs.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

namespace tavrin {

// Where the workspaces call into subsystems built on top of them (auto-arrange,
// learning, the browser and application integrations, the intents). Each slot
// is empty until its subsystem fills it at start-up; an empty slot does
// nothing (or, where it answers, answers as described). Main thread only.
// Placements are reported to learning through WindowHooks::recordPlacement.
struct WorkspaceHooks {
    // ---- Auto-arrange ----
    // Suspends automatic arrangement for this many seconds (only ever extends).
    std::function<void(double seconds)> pauseAutoArrange;
    // Takes the display's current windows as already arranged, these first
    // and in this order; moves nothing.
    std::function<void(const Display& display, const std::vector<AXWindow>& windows)> arrangeNow;
    // The same for every display, with no windows first.
    std::function<void()> arrangeAll;

    // ---- Learning ----
    // Takes back a placement reported earlier with the same arguments.
    std::function<void(const QString& app, const Display& display, const UnitRect& unit, bool focus)> unrecordPlacement;

    // ---- Integrations ----
    // Reads the front tabs (and, with `otherTitles`, the other tab titles) of
    // the browsers among `apps`; the map is empty when nothing was read within
    // `timeout` seconds. Empty slot: no tabs, at once.
    std::function<QCoro::Task<BrowserTabMap>(QSet<QString> apps, bool otherTitles, double timeout)> readTabs;
    // Opens a new window of browser `app` holding `urls`, the first in front;
    // true when it did. Empty slot, or false: the first address is opened on
    // its own instead.
    std::function<QCoro::Task<bool>(QString app, QStringList urls)> openTabs;
    // Brings the tab titled `tab` to the front of the open browser window
    // titled `windowTitle`; true when it did. Empty slot: nothing switches.
    std::function<bool(const QString& app, const QString& windowTitle, const QString& tab)> selectTab;
    // The cleaned form of a web address, or none when it is not one. Empty
    // slot: web addresses as they are.
    std::function<std::optional<QString>(const QString& address)> cleanWebAddress;

    // ---- Intents ----
    // The saved workspaces changed: refresh what the intents offer.
    std::function<void()> refreshShortcutParameters;

    static WorkspaceHooks& shared();
};

} // namespace tavrin
