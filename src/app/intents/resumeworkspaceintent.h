#pragma once

#include "app/intents/intentresult.h"
#include "app/intents/workspaceentity.h"

#include <qcoro/qcorotask.h>

namespace tavrin {

// "Resume Workspace": brings a saved workspace back on the focused display
// and says how many windows it arranged. No toast, no undo.
struct ResumeWorkspaceIntent {
    WorkspaceEntity workspace;

    static QString title();
    // "Resume " and the workspace's name.
    QString parameterSummary() const;
    QCoro::Task<IntentResult> perform() const;
};

} // namespace tavrin
