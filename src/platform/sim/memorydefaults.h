#pragma once

#include "platform/defaults.h"

#include <QHash>
#include <QMap>

namespace tavrin {

// Settings held in memory, for tests and the simulated desktop. Other
// applications' domains can be filled in to stand for the system's settings.
class MemoryDefaults : public Defaults {
    Q_OBJECT
public:
    using Defaults::Defaults;

    std::optional<QVariant> value(const QString& key) const override;
    // An invalid QVariant removes the key.
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const override;

    // An invalid QVariant removes the foreign key.
    void setForeignValue(const QString& domain, const QString& key, const QVariant& value);
    // Forgets every key of this domain (foreign domains stay).
    void clear();

private:
    QMap<QString, QVariant> values_;
    QHash<QString, QHash<QString, QVariant>> foreign_;
};

} // namespace tavrin
