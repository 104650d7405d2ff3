#include "planning/planvalidator.h"

#include <QSet>
#include <QTextBoundaryFinder>
#include <QUrl>

namespace tavrin {

namespace {

// The first `count` characters as a person counts them.
QString leftCharacters(const QString& text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (int i = 0; i < count; ++i)
        if (finder.toNextBoundary() < 0)
            return text;
    return text.left(finder.position());
}

QString workspaceName(const QString& proposed)
{
    const QString name = leftCharacters(proposed.trimmed(), PlanValidator::kMaxNameLength).trimmed();
    return name.isEmpty() ? QStringLiteral("Workspace") : name;
}

std::optional<QString> webAddress(const std::optional<QString>& address)
{
    if (!address || !PlanValidator::isWebAddress(*address))
        return std::nullopt;
    return address->trimmed();
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
            kept.append(tab.trimmed());
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept;
}

} // namespace

bool PlanValidator::isWebAddress(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || scheme == QLatin1String("http");
}

WorkspacePlan PlanValidator::sanitize(WorkspacePlan plan, const PlanRequest& request)
{
    const int windowCount = int(request.windows.size());
    QSet<int> used;
    QList<WorkspacePlan::Window> kept;
    for (WorkspacePlan::Window& w : plan.windows) {
        if (kept.size() == WorkspacePlan::kMaxWindows)
            break;
        if (w.existingWindow) {
            const int index = *w.existingWindow;
            if (index < 0 || index >= windowCount || used.contains(index))
                continue;
        } else if (w.app.trimmed().isEmpty()) {
            continue;
        }
        w.openURL = webAddress(w.openURL);
        w.tabs = webTabs(w.tabs);
        if (w.frontTab) {
            const auto& otherTabs = w.existingWindow ? request.windows[*w.existingWindow].otherTabs : std::nullopt;
            if (!otherTabs || !otherTabs->contains(*w.frontTab))
                w.frontTab.reset();
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
