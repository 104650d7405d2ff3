#pragma once

#include "app/intents/workspaceentity.h"

#include <QList>
#include <QStringList>

namespace tavrin {

// The saved workspaces the intents offer, read afresh on every question and
// answered in the store's order (newest first).
class WorkspaceQuery {
public:
    // Those whose name is exactly one of `ids` (case matters).
    static QList<WorkspaceEntity> entities(const QStringList& ids);
    // Those whose name contains `text`, ignoring case.
    static QList<WorkspaceEntity> entities(const QString& matching);
    // Every saved workspace.
    static QList<WorkspaceEntity> suggestedEntities();
};

} // namespace tavrin
