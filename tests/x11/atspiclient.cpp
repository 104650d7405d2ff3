#include "atspiclient.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace tavrin {

namespace {
const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kRoot = QStringLiteral("/org/a11y/atspi/accessible/root");
// A user interface has a few thousand objects at most.
constexpr int kSearchBudget = 5000;
} // namespace

QDBusMessage AtspiClient::call(const Node& node, const QString& interface, const QString& method,
                               const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    return bus_.call(message, QDBus::Block, 5000);
}

QList<AtspiClient::Node> AtspiClient::applications() const
{
    QList<Node> out;
    const QStringList names = bus_.interface()->registeredServiceNames().value();
    for (const QString& name : names)
        if (name.startsWith(QLatin1Char(':')) && name != bus_.baseService()) {
            const Node root{name, kRoot};
            if (call(root, kAccessible, QStringLiteral("GetRoleName")).type() == QDBusMessage::ReplyMessage)
                out << root;
        }
    return out;
}

QList<AtspiClient::Node> AtspiClient::children(const Node& node) const
{
    const QDBusMessage reply = call(node, kAccessible, QStringLiteral("GetChildren"));
    QList<Node> out;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return out;
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString service;
        QDBusObjectPath path;
        list.beginStructure();
        list >> service >> path;
        list.endStructure();
        out << Node{service, path.path()};
    }
    list.endArray();
    return out;
}

QString AtspiClient::name(const Node& node) const
{
    const QDBusMessage reply = call(node, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                    {kAccessible, QStringLiteral("Name")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant().toString();
}

QString AtspiClient::role(const Node& node) const
{
    const QDBusMessage reply = call(node, kAccessible, QStringLiteral("GetRoleName"));
    return reply.arguments().value(0).toString();
}

std::optional<AtspiClient::Node> AtspiClient::find(const QString& name, const QString& role) const
{
    int budget = kSearchBudget;
    for (const Node& app : applications())
        if (auto found = find(app, name, role, budget))
            return found;
    return std::nullopt;
}

std::optional<AtspiClient::Node> AtspiClient::find(const Node& from, const QString& name, const QString& role,
                                                   int& budget) const
{
    for (const Node& child : children(from)) {
        if (--budget < 0)
            return std::nullopt;
        if (this->name(child) == name && (role.isEmpty() || this->role(child) == role))
            return child;
        if (auto found = find(child, name, role, budget))
            return found;
    }
    return std::nullopt;
}

bool AtspiClient::press(const Node& node) const
{
    const QDBusMessage reply = call(node, QStringLiteral("org.a11y.atspi.Action"), QStringLiteral("DoAction"), {0});
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

bool AtspiClient::setText(const Node& node, const QString& text) const
{
    const QDBusMessage reply =
        call(node, QStringLiteral("org.a11y.atspi.EditableText"), QStringLiteral("SetTextContents"), {text});
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

} // namespace tavrin
