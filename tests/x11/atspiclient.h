#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>
#include <optional>

namespace tavrin {

// Reads and drives the user interfaces of programs through the
// accessibility bus they publish on, as assistive technology does.
class AtspiClient {
public:
    // One accessible object: the bus name of its program and its path.
    struct Node {
        QString service;
        QString path;
    };

    explicit AtspiClient(QDBusConnection bus) : bus_(std::move(bus)) {}

    // The root object of every program on the bus but this one.
    QList<Node> applications() const;
    QList<Node> children(const Node& node) const;
    QString name(const Node& node) const;
    QString role(const Node& node) const;
    // The first object in any program, depth first, with this name (and
    // this role, unless empty); none when there is none.
    std::optional<Node> find(const QString& name, const QString& role = {}) const;
    // Its first action ("press" for buttons and menu items).
    bool press(const Node& node) const;
    // Replaces the text of an editable text.
    bool setText(const Node& node, const QString& text) const;

private:
    std::optional<Node> find(const Node& from, const QString& name, const QString& role, int& budget) const;
    QDBusMessage call(const Node& node, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) const;

    QDBusConnection bus_;
};

} // namespace tavrin
