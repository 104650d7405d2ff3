#include "design/elidedlabel.h"

#include "design/designfont.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tavrin {

ElidedLabel::ElidedLabel(const QString& text, TTheme::Colour colour, const QFont& font, QWidget* parent)
    : DesignWidget(parent),
      text_(text),
      colour_(colour),
      font_(font)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setColour(TTheme::Colour colour)
{
    colour_ = colour;
    update();
}

void ElidedLabel::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    updateGeometry();
    update();
}

void ElidedLabel::setMinimumScale(qreal scale)
{
    minimumScale_ = std::clamp<qreal>(scale, 0.1, 1);
    update();
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetricsF fm(font_);
    return {int(std::ceil(fm.horizontalAdvance(text_))), int(std::ceil(fm.height()))};
}

QSize ElidedLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

QFont ElidedLabel::fittedFont() const
{
    const qreal natural = QFontMetricsF(font_).horizontalAdvance(text_);
    if (natural <= width() || minimumScale_ >= 1 || natural <= 0)
        return font_;
    const qreal scale = std::max(minimumScale_, width() / natural);
    QFont f = font_;
    const qreal size = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * 96.0 / 72.0;
    DesignFont::setSize(f, size * scale);
    return f;
}

QString ElidedLabel::shownText() const
{
    return QFontMetricsF(fittedFont()).elidedText(text_, Qt::ElideRight, width());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(fittedFont());
    painter.setPen(t().colour(colour_));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownText());
}

} // namespace tavrin
