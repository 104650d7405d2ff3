#include "planning/planvalidator.h"

#include "workspaces/browsertabs.h"
#include "workspaces/textcut.h"
#include "workspaces/webaddress.h"

#include <QSet>
#include <QUrl>

namespace tavrin {

namespace {

QString workspaceName(const QString& proposed)
{
    const QString name = shownText(proposed, PlanValidator::kMaxNameLength);
    return name.isEmpty() ? QStringLiteral("Workspace") : name;
}

std::optional<QString> webAddress(const std::optional<QString>& address)
{
    if (!address || !PlanValidator::isWebAddress(*address))
        return std::nullopt;
    return withoutUserInfo(*address);
}

std::optional<QStringList> webTabs(const std::optional<QStringList>& tabs)
{
    if (!tabs)
        return std::nullopt;
    QStringList kept;
    for (const QString& tab : *tabs) {
        if (kept.size() == PlanValidator::kMaxTabs)
            break;
        if (PlanValidator::isWebAddress(tab))
            kept.append(withoutUserInfo(tab));
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept;
}

} // namespace

bool PlanValidator::isWebAddress(const QString& address) { return tavrin::isWebAddress(address); }

WorkspacePlan PlanValidator::sanitize(WorkspacePlan plan, const PlanRequest& request)
{
    const int windowCount = int(request.windows.size());
    QSet<int> used;
    QList<WorkspacePlan::Window> kept;
    for (WorkspacePlan::Window& w : plan.windows) {
        if (kept.size() == WorkspacePlan::kMaxWindows)
            break;
        w.app = shownText(w.app, kMaxAppLength);
        w.purpose = shownText(w.purpose, kMaxPurposeLength);
        if (w.existingWindow) {
            const int index = *w.existingWindow;
            if (index < 0 || index >= windowCount || used.contains(index))
                continue;
        } else if (w.app.isEmpty()) {
            continue;
        }
        w.openURL = webAddress(w.openURL);
        w.tabs = webTabs(w.tabs);
        if (w.frontTab) {
            // A planner may drop an unread count or shorten a title: the
            // tab is the one title it designates.
            const auto& otherTabs = w.existingWindow ? request.windows[*w.existingWindow].otherTabs : std::nullopt;
            w.frontTab = otherTabs ? cleanTabTitle(*w.frontTab, *otherTabs) : std::nullopt;
        }
        if (w.existingWindow)
            used.insert(*w.existingWindow);
        kept.append(std::move(w));
    }
    plan.windows = std::move(kept);

    if (plan.clear) {
        QSet<int> cleared;
        QList<WorkspacePlan::Clear> clears;
        for (const WorkspacePlan::Clear& c : *plan.clear) {
            const int index = c.existingWindow;
            if (index < 0 || index >= windowCount || used.contains(index) || cleared.contains(index))
                continue;
            cleared.insert(index);
            clears.append(c);
        }
        plan.clear = clears.isEmpty() ? std::nullopt : std::optional(std::move(clears));
    }

    plan.workspaceName = workspaceName(plan.workspaceName);
    plan.why = shownText(plan.why, kMaxWhyLength);
    return plan;
}

std::optional<WorkspacePlan> PlanValidator::validate(const QByteArray& json, const PlanRequest& request)
{
    auto plan = WorkspacePlan::fromJsonData(json);
    if (!plan)
        return std::nullopt;
    return sanitize(std::move(*plan), request);
}

} // namespace tavrin
