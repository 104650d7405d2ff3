#include "workspaces/plannedwindow.h"

#include "workspaces/planaddress.h"

namespace tavrin {

QString PlannedWindow::openingDetail(const std::optional<QString>& openURL, const QStringList& tabs)
{
    QString detail = addressDetail(openURL);
    if (openURL && !tabs.isEmpty())
        detail += QStringLiteral(" + %1 tab%2").arg(tabs.size()).arg(tabs.size() == 1 ? "" : "s");
    return detail;
}

QString PlannedWindow::existingDetail(const std::optional<QString>& frontTab, const std::optional<QString>& title)
{
    if (frontTab && !frontTab->isEmpty())
        return *frontTab;
    return title.value_or(QString());
}

} // namespace tavrin
