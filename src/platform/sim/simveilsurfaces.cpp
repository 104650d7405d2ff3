#include "platform/sim/simveilsurfaces.h"

#include "platform/sim/simveilsurface.h"

namespace tavrin {

std::unique_ptr<VeilSurface> SimVeilSurfaces::make(QWidget& content, std::uint32_t)
{
    return std::make_unique<SimVeilSurface>(desktop_, content);
}

} // namespace tavrin
