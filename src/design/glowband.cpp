#include "design/glowband.h"

#include <QPaintEvent>
#include <QPainter>

namespace tavrin {

GlowBand::GlowBand(Paint paint, QWidget* parent) : QWidget(parent), paint_(std::move(paint))
{
    // Every pixel of the mask is drawn here: what lies beneath is not.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void GlowBand::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    paint_(painter, event->region());
}

} // namespace tavrin
