#pragma once

#include "platform/defaults.h"

namespace tavrin {

class SimDesktop;

// The settings store over the simulated desktop: the user's settings as the
// given store keeps them, and, once the simulated desktop's edge tiling has
// been set (its settings page turns it off), that tiling as both tiling keys
// of the read-only "com.apple.WindowManager" domain. Until then every
// foreign value is the given store's.
class SimTilingDefaults : public Defaults {
    Q_OBJECT
public:
    // Both must outlive this store.
    SimTilingDefaults(Defaults& inner, const SimDesktop& desktop, QObject* parent = nullptr);

    std::optional<QVariant> value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    void replace(const QStringList& removed, const QVariantMap& values) override;
    std::optional<QVariant> foreignValue(const QString& domain, const QString& key) const override;
    QString saveProblem() const override;

private:
    Defaults& inner_;
    const SimDesktop& desktop_;
};

} // namespace tavrin
