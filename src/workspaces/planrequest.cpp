#include "workspaces/planrequest.h"

#include <QJsonArray>
#include <cmath>
#include <limits>

namespace tavrin {

namespace recordjson {

bool readString(const QJsonObject& object, const QString& key, QString& out)
{
    const QJsonValue v = object.value(key);
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

bool readDouble(const QJsonObject& object, const QString& key, double& out)
{
    const QJsonValue v = object.value(key);
    if (!v.isDouble())
        return false;
    out = v.toDouble();
    return true;
}

namespace {
// A JSON number that is a whole number within the range of int.
std::optional<int> wholeNumber(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min()
        || d > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(d);
}

bool isAbsent(const QJsonValue& v) { return v.isUndefined() || v.isNull(); }
} // namespace

bool readInt(const QJsonObject& object, const QString& key, int& out)
{
    const auto n = wholeNumber(object.value(key));
    if (!n)
        return false;
    out = *n;
    return true;
}

bool readOptional(const QJsonObject& object, const QString& key, std::optional<QString>& out)
{
    const QJsonValue v = object.value(key);
    out.reset();
    if (isAbsent(v))
        return true;
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

bool readOptional(const QJsonObject& object, const QString& key, std::optional<int>& out)
{
    const QJsonValue v = object.value(key);
    out.reset();
    if (isAbsent(v))
        return true;
    out = wholeNumber(v);
    return out.has_value();
}

bool readOptional(const QJsonObject& object, const QString& key, std::optional<QStringList>& out)
{
    const QJsonValue v = object.value(key);
    out.reset();
    if (isAbsent(v))
        return true;
    if (!v.isArray())
        return false;
    QStringList list;
    for (const QJsonArray items = v.toArray(); const QJsonValue element : items) {
        if (!element.isString())
            return false;
        list.append(element.toString());
    }
    out = std::move(list);
    return true;
}

void writeOptional(QJsonObject& object, const QString& key, const std::optional<QString>& value)
{
    if (value)
        object.insert(key, *value);
}

void writeOptional(QJsonObject& object, const QString& key, const std::optional<int>& value)
{
    if (value)
        object.insert(key, *value);
}

void writeOptional(QJsonObject& object, const QString& key, const std::optional<QStringList>& value)
{
    if (value)
        object.insert(key, QJsonArray::fromStringList(*value));
}

} // namespace recordjson

using namespace recordjson;

QJsonObject PlanRequest::DisplayInfo::toJson() const
{
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("aspect"), aspect}};
}

std::optional<PlanRequest::DisplayInfo> PlanRequest::DisplayInfo::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    DisplayInfo d;
    if (!json.isObject() || !readString(o, QStringLiteral("name"), d.name)
        || !readDouble(o, QStringLiteral("aspect"), d.aspect))
        return std::nullopt;
    return d;
}

QJsonObject PlanRequest::Window::toJson() const
{
    QJsonObject o{{QStringLiteral("app"), app}, {QStringLiteral("title"), title}};
    writeOptional(o, QStringLiteral("url"), url);
    writeOptional(o, QStringLiteral("otherTabs"), otherTabs);
    return o;
}

std::optional<PlanRequest::Window> PlanRequest::Window::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    Window w;
    if (!json.isObject() || !readString(o, QStringLiteral("app"), w.app)
        || !readString(o, QStringLiteral("title"), w.title) || !readOptional(o, QStringLiteral("url"), w.url)
        || !readOptional(o, QStringLiteral("otherTabs"), w.otherTabs))
        return std::nullopt;
    return w;
}

QJsonObject PlanRequest::toJson() const
{
    return QJsonObject{{QStringLiteral("request"), request},
                       {QStringLiteral("display"), display.toJson()},
                       {QStringLiteral("windows"), writeList(windows)}};
}

std::optional<PlanRequest> PlanRequest::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    PlanRequest r;
    if (!json.isObject() || !readString(o, QStringLiteral("request"), r.request))
        return std::nullopt;
    auto display = DisplayInfo::fromJson(o.value(QStringLiteral("display")));
    auto windows = readList<Window>(o.value(QStringLiteral("windows")), &Window::fromJson);
    if (!display || !windows)
        return std::nullopt;
    r.display = std::move(*display);
    r.windows = std::move(*windows);
    return r;
}

} // namespace tavrin
