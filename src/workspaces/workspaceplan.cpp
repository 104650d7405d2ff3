#include "workspaces/workspaceplan.h"

#include "workspaces/planrequest.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace tavrin {

using namespace recordjson;

QJsonObject WorkspacePlan::Window::toJson() const
{
    QJsonObject o{{QStringLiteral("app"), app}, {QStringLiteral("purpose"), purpose}};
    writeOptional(o, QStringLiteral("existingWindow"), existingWindow);
    writeOptional(o, QStringLiteral("openURL"), openURL);
    writeOptional(o, QStringLiteral("tabs"), tabs);
    writeOptional(o, QStringLiteral("tabsBefore"), tabsBefore);
    writeOptional(o, QStringLiteral("frontTab"), frontTab);
    return o;
}

std::optional<WorkspacePlan::Window> WorkspacePlan::Window::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    Window w;
    if (!json.isObject() || !readString(o, QStringLiteral("app"), w.app)
        || !readString(o, QStringLiteral("purpose"), w.purpose)
        || !readOptional(o, QStringLiteral("existingWindow"), w.existingWindow)
        || !readOptional(o, QStringLiteral("openURL"), w.openURL) || !readOptional(o, QStringLiteral("tabs"), w.tabs)
        || !readOptional(o, QStringLiteral("tabsBefore"), w.tabsBefore)
        || !readOptional(o, QStringLiteral("frontTab"), w.frontTab))
        return std::nullopt;
    return w;
}

QJsonObject WorkspacePlan::Clear::toJson() const
{
    return QJsonObject{{QStringLiteral("existingWindow"), existingWindow}, {QStringLiteral("action"), name(action)}};
}

std::optional<WorkspacePlan::Clear> WorkspacePlan::Clear::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    Clear c;
    QString action;
    if (!json.isObject() || !readInt(o, QStringLiteral("existingWindow"), c.existingWindow)
        || !readString(o, QStringLiteral("action"), action))
        return std::nullopt;
    const auto kind = clearActionFromName(action);
    if (!kind)
        return std::nullopt;
    c.action = *kind;
    return c;
}

QJsonObject WorkspacePlan::toJson() const
{
    QJsonObject o{{QStringLiteral("workspaceName"), workspaceName},
                  {QStringLiteral("layout"), name(layout)},
                  {QStringLiteral("why"), why},
                  {QStringLiteral("windows"), writeList(windows)}};
    if (clear)
        o.insert(QStringLiteral("clear"), writeList(*clear));
    return o;
}

std::optional<WorkspacePlan> WorkspacePlan::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    WorkspacePlan p;
    QString layout;
    if (!json.isObject() || !readString(o, QStringLiteral("workspaceName"), p.workspaceName)
        || !readString(o, QStringLiteral("layout"), layout) || !readString(o, QStringLiteral("why"), p.why))
        return std::nullopt;
    const auto kind = layoutKindFromName(layout);
    auto windows = readList<Window>(o.value(QStringLiteral("windows")), &Window::fromJson);
    if (!kind || !windows)
        return std::nullopt;
    p.layout = *kind;
    p.windows = std::move(*windows);
    const QJsonValue clear = o.value(QStringLiteral("clear"));
    if (!clear.isUndefined() && !clear.isNull()) {
        p.clear = readList<Clear>(clear, &Clear::fromJson);
        if (!p.clear)
            return std::nullopt;
    }
    return p;
}

std::optional<WorkspacePlan> WorkspacePlan::fromJsonData(const QByteArray& data)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return fromJson(doc.object());
}

} // namespace tavrin
