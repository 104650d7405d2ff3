#pragma once

#include "app/intents/intentresult.h"
#include "app/intents/workspaceentity.h"

#include <qcoro/qcorotask.h>

namespace tavrin {

class WorkspaceRunner;

// "Resume Workspace": brings a saved workspace back on the focused display
// and says how many windows it arranged. No toast, no undo.
struct ResumeWorkspaceIntent {
    WorkspaceEntity workspace;

    static QString title();
    // The dialog for a workspace `name` that is not saved (any more).
    static QString unknownMessage(const QString& name);
    // "Resume " and the workspace's name.
    QString parameterSummary() const;
    // Arranges it with `runner`, which outlives the task.
    QCoro::Task<IntentResult> perform(WorkspaceRunner& runner) const;
};

} // namespace tavrin
