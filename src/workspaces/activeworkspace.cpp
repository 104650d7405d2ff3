#include "workspaces/activeworkspace.h"

#include "platform/clock.h"
#include "workspaces/planrequest.h"

#include <cmath>
#include <limits>

namespace tavrin {

using namespace recordjson;

QJsonObject ActiveWorkspace::toJson() const
{
    return QJsonObject{{QStringLiteral("name"), name},
                       {QStringLiteral("windows"), windows},
                       {QStringLiteral("since"), Clock::referenceSeconds(since)},
                       {QStringLiteral("displayID"), qint64(displayID)}};
}

std::optional<ActiveWorkspace> ActiveWorkspace::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    ActiveWorkspace a;
    double since = 0;
    double display = 0;
    if (!json.isObject() || !readString(o, QStringLiteral("name"), a.name)
        || !readInt(o, QStringLiteral("windows"), a.windows) || !readDouble(o, QStringLiteral("since"), since)
        || !std::isfinite(since) || !readDouble(o, QStringLiteral("displayID"), display) || display < 0
        || display > double(std::numeric_limits<std::uint32_t>::max()) || display != std::floor(display))
        return std::nullopt;
    a.since = Clock::dateFromReference(since);
    a.displayID = std::uint32_t(display);
    return a;
}

} // namespace tavrin
