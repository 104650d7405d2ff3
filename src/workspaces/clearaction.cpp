#include "workspaces/clearaction.h"

namespace tavrin {

QString name(ClearAction action)
{
    return action == ClearAction::quit ? QStringLiteral("quit") : QStringLiteral("hide");
}

std::optional<ClearAction> clearActionFromName(const QString& text)
{
    for (ClearAction a : kAllClearActions)
        if (name(a) == text)
            return a;
    return std::nullopt;
}

} // namespace tavrin
