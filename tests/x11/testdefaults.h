#pragma once

#include "platform/defaults.h"

#include <QVariantMap>

namespace tavrin {

// Settings in memory, for tests.
class TestDefaults : public Defaults {
    Q_OBJECT
public:
    using Defaults::Defaults;
    std::optional<QVariant> value(const QString& key) const override
    {
        return values_.contains(key) ? std::optional(values_.value(key)) : std::nullopt;
    }
    void setValue(const QString& key, const QVariant& value) override
    {
        values_.insert(key, value);
        emit changed(key);
    }
    void remove(const QString& key) override
    {
        values_.remove(key);
        emit changed(key);
    }
    QStringList keys() const override { return values_.keys(); }
    std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const override
    {
        const QString k = domain + u'/' + key;
        return foreign_.contains(k) ? std::optional(foreign_.value(k)) : std::nullopt;
    }
    QVariantMap foreign_;

private:
    QVariantMap values_;
};

} // namespace tavrin
