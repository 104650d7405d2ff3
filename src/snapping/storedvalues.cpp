#include "snapping/storedvalues.h"

#include "platform/defaults.h"

namespace tavrin::stored {

bool isInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return true;
    default: return false;
    }
}

bool isString(const QVariant& value) { return value.typeId() == QMetaType::QString; }

bool isIntegerDictionary(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap map = value.toMap();
    return std::all_of(map.cbegin(), map.cend(), isInteger);
}

QVariantMap dictionary(const Defaults& defaults, const QString& key, bool (*valid)(const QVariant&))
{
    const auto value = defaults.value(key);
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return {};
    QVariantMap map = value->toMap();
    if (!std::all_of(map.cbegin(), map.cend(), valid))
        return {};
    return map;
}

QStringList strings(const Defaults& defaults, const QString& key)
{
    const auto value = defaults.value(key);
    if (!value || value->typeId() != QMetaType::QVariantList)
        return {};
    QStringList out;
    for (const QVariant& item : value->toList()) {
        if (!isString(item))
            return {};
        out << item.toString();
    }
    return out;
}

std::optional<qint64> integer(const Defaults& defaults, const QString& key)
{
    const auto value = defaults.value(key);
    if (!value || !isInteger(*value))
        return std::nullopt;
    return value->toLongLong();
}

} // namespace tavrin::stored
