#include "snapping/desktophudpanels.h"

#include "design/themed.h"
#include "snapping/floatingpanel.h"
#include "snapping/outlineview.h"
#include "snapping/snaphudview.h"

namespace tavrin {

std::unique_ptr<HUDPanel> DesktopHUDPanels::makeHUDPanel(SnapHUDController& hud)
{
    auto* view = new SnapHUDView(hud, kMargin);
    return std::make_unique<FloatingPanel>(new Themed(view), FloatingPanel::Mouse::clicks,
                                           QStringLiteral("snapHUDPanel"));
}

std::unique_ptr<HUDPanel> DesktopHUDPanels::makeOutlinePanel()
{
    return std::make_unique<FloatingPanel>(new OutlineView, FloatingPanel::Mouse::passThrough,
                                           QStringLiteral("snapOutlinePanel"));
}

} // namespace tavrin
