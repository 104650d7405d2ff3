#include "workspaces/saveditem.h"

#include "workspaces/planrequest.h"

namespace tavrin {

using namespace recordjson;

QJsonObject SavedItem::toJson() const
{
    QJsonObject o{{QStringLiteral("app"), app}};
    writeOptional(o, QStringLiteral("url"), url);
    writeOptional(o, QStringLiteral("tabs"), tabs);
    writeOptional(o, QStringLiteral("front"), front);
    writeOptional(o, QStringLiteral("title"), title);
    writeOptional(o, QStringLiteral("tabTitle"), tabTitle);
    return o;
}

std::optional<SavedItem> SavedItem::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    SavedItem item;
    if (!json.isObject() || !readString(o, QStringLiteral("app"), item.app)
        || !readOptional(o, QStringLiteral("url"), item.url) || !readOptional(o, QStringLiteral("tabs"), item.tabs)
        || !readOptional(o, QStringLiteral("front"), item.front)
        || !readOptional(o, QStringLiteral("title"), item.title)
        || !readOptional(o, QStringLiteral("tabTitle"), item.tabTitle))
        return std::nullopt;
    return item;
}

} // namespace tavrin
