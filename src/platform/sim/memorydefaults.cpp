#include "platform/sim/memorydefaults.h"

namespace tavrin {

std::optional<QVariant> MemoryDefaults::value(const QString& key) const
{
    const auto it = values_.constFind(key);
    if (it == values_.cend())
        return std::nullopt;
    return *it;
}

void MemoryDefaults::setValue(const QString& key, const QVariant& value)
{
    if (!value.isValid()) {
        remove(key);
        return;
    }
    values_.insert(key, value);
    emit changed(key);
}

void MemoryDefaults::remove(const QString& key)
{
    if (values_.remove(key) > 0)
        emit changed(key);
}

QStringList MemoryDefaults::keys() const { return values_.keys(); }

std::optional<QVariant> MemoryDefaults::foreignValue(const QString& domain, const QString& key) const
{
    const auto d = foreign_.constFind(domain);
    if (d == foreign_.cend())
        return std::nullopt;
    const auto it = d->constFind(key);
    if (it == d->cend())
        return std::nullopt;
    return *it;
}

void MemoryDefaults::setForeignValue(const QString& domain, const QString& key, const QVariant& value)
{
    if (value.isValid())
        foreign_[domain].insert(key, value);
    else if (foreign_.contains(domain))
        foreign_[domain].remove(key);
}

void MemoryDefaults::clear()
{
    const QStringList gone = values_.keys();
    values_.clear();
    for (const QString& key : gone)
        emit changed(key);
}

} // namespace tavrin
