#include "design/panelplacement.h"

#include <algorithm>

namespace tavrin {

double PanelRoom::keptAcross(double x, double width) const
{
    return std::max(room.minX(), std::min(x, room.maxX() - width));
}

} // namespace tavrin
