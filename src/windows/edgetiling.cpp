#include "windows/edgetiling.h"

#include "platform/defaults.h"
#include "platform/platform.h"

namespace tavrin {

namespace {
// A switch of the tiling domain: its value when present and a switch, else on.
bool tilingSwitch(const Defaults& defaults, const QString& key)
{
    const auto value = defaults.foreignValue(EdgeTiling::kDomain, key);
    if (!value || value->typeId() != QMetaType::Bool)
        return true;
    return value->toBool();
}
} // namespace

bool EdgeTiling::isOn()
{
    const Defaults* defaults = Platform::current().defaults;
    if (!defaults)
        return true;
    return tilingSwitch(*defaults, kEdgeKey) || tilingSwitch(*defaults, kTopEdgeKey);
}

} // namespace tavrin
