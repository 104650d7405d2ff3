#pragma once

#include "platform/runningapp.h"
#include "workspaces/clearaction.h"

#include <QString>
#include <QUuid>

namespace tavrin {

// One running application that a plan hides or quits.
struct PlannedClear {
    QUuid id;    // the row's identity
    QString app; // the application's name
    ClearAction action = ClearAction::hide;
    RunningApp running;
    // The title of the one window the plan names; empty when it names
    // several windows of the application (it clears the whole application)
    // or a window without a title.
    QString title;
};

} // namespace tavrin
