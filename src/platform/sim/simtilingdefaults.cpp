#include "platform/sim/simtilingdefaults.h"

#include "platform/sim/simdesktop.h"

namespace tavrin {

SimTilingDefaults::SimTilingDefaults(Defaults& inner, const SimDesktop& desktop, QObject* parent)
    : Defaults(parent),
      inner_(inner),
      desktop_(desktop)
{
    connect(&inner_, &Defaults::changed, this, &Defaults::changed);
    connect(&inner_, &Defaults::problemChanged, this, &Defaults::problemChanged);
}

std::optional<QVariant> SimTilingDefaults::value(const QString& key) const { return inner_.value(key); }
void SimTilingDefaults::setValue(const QString& key, const QVariant& value) { inner_.setValue(key, value); }
void SimTilingDefaults::remove(const QString& key) { inner_.remove(key); }
QStringList SimTilingDefaults::keys() const { return inner_.keys(); }
void SimTilingDefaults::replace(const QStringList& removed, const QVariantMap& values)
{
    inner_.replace(removed, values);
}
QString SimTilingDefaults::saveProblem() const { return inner_.saveProblem(); }

std::optional<QVariant> SimTilingDefaults::foreignValue(const QString& domain, const QString& key) const
{
    const std::optional<bool> tiling = desktop_.edgeTiling();
    const bool tilingKey =
        key == QLatin1String("EnableTilingByEdgeDrag") || key == QLatin1String("EnableTopTilingByEdgeDrag");
    if (tiling && domain == QLatin1String("com.apple.WindowManager") && tilingKey)
        return QVariant(*tiling);
    return inner_.foreignValue(domain, key);
}

} // namespace tavrin
