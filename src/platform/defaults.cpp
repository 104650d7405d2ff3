#include "platform/defaults.h"

#include <cmath>

namespace tavrin {

std::optional<bool> Defaults::toBool(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return v.toLongLong() != 0;
    case QMetaType::Double:
        return v.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        return s.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
            || s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1");
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> Defaults::toNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
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
    default:
        return std::nullopt;
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
    const auto n = number(key);
    if (!n || !std::isfinite(*n))
        return std::nullopt;
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
