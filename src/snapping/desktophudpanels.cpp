#include "snapping/desktophudpanels.h"

#include "design/floatingpanel.h"
#include "design/themed.h"
#include "snapping/outlineview.h"
#include "snapping/snaphudview.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

namespace tavrin {

std::unique_ptr<HUDPanel> DesktopHUDPanels::makeHUDPanel(SnapHUDController& hud)
{
    auto* view = new SnapHUDView(hud, kMargin);
    return std::make_unique<FloatingPanel>(new Themed(view), FloatingPanel::Mouse::clicks,
                                           QStringLiteral("snapHUDPanel"));
}

void DesktopHUDPanels::prepare(SnapHUDController& hud)
{
    Themed view(new SnapHUDView(hud, kMargin));
    view.adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal scale = screen ? screen->devicePixelRatio() : 1.0;
    QImage image(view.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    view.render(&image);
}

std::unique_ptr<HUDPanel> DesktopHUDPanels::makeOutlinePanel()
{
    return std::make_unique<FloatingPanel>(new OutlineView, FloatingPanel::Mouse::passThrough,
                                           QStringLiteral("snapOutlinePanel"));
}

} // namespace tavrin
