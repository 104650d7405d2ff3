#include "app/intents/resumeworkspaceintent.h"

#include "app/intents/intentservice.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/workspacerunner.h"

#include <QCoreApplication>

namespace tavrin {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("ResumeWorkspaceIntent", text); }
} // namespace

QString ResumeWorkspaceIntent::title() { return tr("Resume Workspace"); }

QString ResumeWorkspaceIntent::unknownMessage(const QString& name)
{
    return tr("Tavrin doesn't have a workspace called %1 any more.").arg(IntentService::echoed(name));
}

QString ResumeWorkspaceIntent::parameterSummary() const { return tr("Resume %1").arg(workspace.id); }

QCoro::Task<IntentResult> ResumeWorkspaceIntent::perform(WorkspaceRunner& runner) const
{
    // Copied first: the intent may be gone while the runner works.
    const QString name = workspace.id;
    std::optional<SavedWorkspace> saved;
    for (const SavedWorkspace& w : SavedWorkspaceStore::load())
        if (w.name == name) {
            saved = w;
            break;
        }
    if (!saved)
        co_return IntentResult::say(unknownMessage(name));

    const WorkspaceRunner::Outcome outcome = co_await runner.arrangeSaved(*saved);
    if (outcome.problem && outcome.arranged == 0)
        co_return IntentResult::say(*outcome.problem);
    // What could not be brought back is named after the count.
    QString said = outcome.arranged == 1
                       ? tr("Arranged 1 window for %1.").arg(saved->name)
                       : tr("Arranged %1 windows for %2.").arg(QString::number(outcome.arranged), saved->name);
    if (outcome.problem)
        said += QLatin1Char(' ') + *outcome.problem;
    co_return IntentResult::say(said);
}

} // namespace tavrin
