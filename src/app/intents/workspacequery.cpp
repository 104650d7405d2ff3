#include "app/intents/workspacequery.h"

#include "workspaces/savedworkspacestore.h"

#include <QCoreApplication>

namespace tavrin {

QString WorkspaceEntity::typeDisplayName() { return QCoreApplication::translate("WorkspaceEntity", "Workspace"); }

namespace {
template <class Keep>
QList<WorkspaceEntity> saved(Keep keep)
{
    QList<WorkspaceEntity> out;
    for (const SavedWorkspace& w : SavedWorkspaceStore::load())
        if (keep(w.name))
            out.append(WorkspaceEntity{w.name});
    return out;
}
} // namespace

QList<WorkspaceEntity> WorkspaceQuery::entities(const QStringList& ids)
{
    return saved([&](const QString& name) { return ids.contains(name, Qt::CaseSensitive); });
}

QList<WorkspaceEntity> WorkspaceQuery::entities(const QString& matching)
{
    return saved([&](const QString& name) { return name.contains(matching, Qt::CaseInsensitive); });
}

QList<WorkspaceEntity> WorkspaceQuery::suggestedEntities()
{
    return saved([](const QString&) { return true; });
}

} // namespace tavrin
