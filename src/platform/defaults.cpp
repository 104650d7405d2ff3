#include "platform/defaults.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavrin {

void Defaults::replace(const QStringList& removed, const QVariantMap& values)
{
    for (const QString& key : removed)
        remove(key);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        setValue(it.key(), it.value());
}

void Defaults::keepAside(const QString& key, const QVariant& raw)
{
    QString slot = key;
    for (int n = 2;; ++n) {
        const auto earlier = value(slot);
        if (!earlier)
            break;
        if (*earlier == raw && earlier->typeId() == raw.typeId())
            return;
        slot = key + QLatin1Char('.') + QString::number(n);
    }
    setValue(slot, raw);
}

std::optional<bool> Defaults::toBool(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return v.toLongLong() != 0;
    case QMetaType::Double: return v.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        return s.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
               || s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1");
    }
    default: return std::nullopt;
    }
}

std::optional<double> Defaults::toNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? 1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (std::isnan(d))
            return std::nullopt;
        return d;
    }
    default: return std::nullopt;
    }
}

bool Defaults::boolValue(const QString& key, bool fallback) const
{
    const auto v = value(key);
    if (!v)
        return fallback;
    return toBool(*v).value_or(false);
}

std::optional<double> Defaults::number(const QString& key) const
{
    const auto v = value(key);
    return v ? toNumber(*v) : std::nullopt;
}

std::optional<qint64> Defaults::integer(const QString& key) const
{
    const auto v = value(key);
    if (!v)
        return std::nullopt;
    // Integers as they are: through a double they would lose their low bits.
    switch (v->typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong: return v->toLongLong();
    case QMetaType::ULongLong: return qint64(std::min(v->toULongLong(), quint64(std::numeric_limits<qint64>::max())));
    default: break;
    }
    const auto n = toNumber(*v);
    if (!n || !std::isfinite(*n))
        return std::nullopt;
    // 2^63 and beyond do not fit (and converting them is undefined).
    constexpr double kLimit = 9223372036854775808.0;
    if (*n >= kLimit)
        return std::numeric_limits<qint64>::max();
    if (*n < -kLimit)
        return std::numeric_limits<qint64>::min();
    return qint64(*n);
}

std::optional<QString> Defaults::string(const QString& key) const
{
    const auto v = value(key);
    if (!v || v->typeId() != QMetaType::QString)
        return std::nullopt;
    return v->toString();
}

std::optional<QByteArray> Defaults::data(const QString& key) const
{
    const auto v = value(key);
    if (!v)
        return std::nullopt;
    if (v->typeId() == QMetaType::QByteArray)
        return v->toByteArray();
    return std::nullopt;
}

} // namespace tavrin
