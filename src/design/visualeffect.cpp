#include "design/visualeffect.h"

#include <QPainter>

namespace tavrin {

VisualEffect::VisualEffect(Material material, QWidget* parent) : DesignWidget(parent), material_(material) {}

QColor VisualEffect::solidColour(Material, ColorScheme scheme)
{
    // The heads-up material: a deep grey in the dark scheme, near white in
    // the light one, the colours of the glass tint laid over it.
    return scheme == ColorScheme::dark ? QColor(38, 40, 47) : QColor(250, 251, 252);
}

void VisualEffect::paint(QPainter& painter, const QRectF& rect, Material material, ColorScheme scheme, bool blur)
{
    if (blur)
        return;
    painter.fillRect(rect, solidColour(material, scheme));
}

void VisualEffect::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), material_, scheme(), Environment::blurBehind(this));
}

} // namespace tavrin
