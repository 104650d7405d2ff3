#pragma once

#include "windows/axwindow.h"
#include "workspaces/saveditem.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

namespace tavrin {

// Where the command bar calls into subsystems built after it. Each slot is
// empty until its subsystem fills it at start-up; an empty slot falls back
// as described. Main thread only. (Pausing auto-arrange goes through
// WorkspaceHooks::pauseAutoArrange.)
struct CommandBarHooks {
    // What each window shows (one item per window, in order), as the
    // integrations read it. Empty slot: each window's application name only.
    std::function<QCoro::Task<QList<SavedItem>>(std::vector<AXWindow> windows)> captureItems;

    // Opens the Settings window on a pane ("ai", …; empty: the pane last
    // shown). Empty slot: nothing opens.
    std::function<void(const QString& pane)> openSettings;

    static CommandBarHooks& shared();
};

} // namespace tavrin
