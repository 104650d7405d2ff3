#include "snapping/learning/storedvalues.h"

#include "platform/defaults.h"

#include <algorithm>

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

bool isIntegerDictionary(const QVariant& value) { return isDictionaryOf(value, isInteger); }

bool isDictionaryOf(const QVariant& value, bool (*valid)(const QVariant&))
{
    if (value.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap map = value.toMap();
    return std::all_of(map.cbegin(), map.cend(), valid);
}

bool isStringArray(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantList)
        return false;
    const QVariantList list = value.toList();
    return std::all_of(list.cbegin(), list.cend(), isString);
}

void write(Defaults& defaults, const QString& key, const QVariant& value, bool (*readable)(const QVariant&))
{
    if (const auto old = defaults.value(key); old && !readable(*old))
        defaults.keepAside(key + QStringLiteral(".unreadable"), *old);
    defaults.setValue(key, value);
}

QVariantMap dictionary(const Defaults& defaults, const QString& key, bool (*valid)(const QVariant&))
{
    const auto value = defaults.value(key);
    if (!value || !isDictionaryOf(*value, valid))
        return {};
    return value->toMap();
}

QStringList strings(const Defaults& defaults, const QString& key)
{
    const auto value = defaults.value(key);
    if (!value || !isStringArray(*value))
        return {};
    return value->toStringList();
}

std::optional<qint64> integer(const Defaults& defaults, const QString& key)
{
    const auto value = defaults.value(key);
    if (!value || !isInteger(*value))
        return std::nullopt;
    return value->toLongLong();
}

} // namespace tavrin::stored
