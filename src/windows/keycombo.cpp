#include "windows/keycombo.h"

#include "platform/linuxwords.h"

#include <QJsonDocument>
#include <cmath>

namespace tavrin {

QStringList KeyCombo::keyNames() const { return LinuxWords::modifierNames(modifiers) << key; }

QString KeyCombo::text() const { return LinuxWords::runningText(keyNames()); }

QJsonObject KeyCombo::toJson() const
{
    return {{QStringLiteral("keyCode"), qint64(keyCode)},
            {QStringLiteral("modifiers"), qint64(modifiers)},
            {QStringLiteral("key"), key}};
}

namespace {
std::optional<std::uint32_t> unsigned32(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (d < 0 || d > 0xffffffffu || d != std::floor(d))
        return std::nullopt;
    return std::uint32_t(d);
}
} // namespace

std::optional<KeyCombo> KeyCombo::fromJson(const QJsonObject& json)
{
    const auto code = unsigned32(json.value(QStringLiteral("keyCode")));
    const auto mods = unsigned32(json.value(QStringLiteral("modifiers")));
    const QJsonValue key = json.value(QStringLiteral("key"));
    if (!code || !mods || !key.isString())
        return std::nullopt;
    return KeyCombo{*code, *mods, key.toString()};
}

QString KeyCombo::toJsonText() const
{
    return QString::fromUtf8(QJsonDocument(toJson()).toJson(QJsonDocument::Compact));
}

std::optional<KeyCombo> KeyCombo::fromJsonText(const QString& text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isObject())
        return std::nullopt;
    return fromJson(doc.object());
}

} // namespace tavrin
