#include "design/takenmark.h"

#include "design/kbd.h"

#include <QPainter>

namespace tavrin {

TakenMark::TakenMark(QWidget* parent) : DesignWidget(parent)
{
    setFixedSize(Kbd::kMarkSize.toSize());
    setToolTip(Kbd::takenToolTip());
}

void TakenMark::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Kbd::paintTakenMark(p, QRectF(rect()), t().danger);
}

} // namespace tavrin
