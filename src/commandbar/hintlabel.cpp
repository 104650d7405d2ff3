#include "commandbar/hintlabel.h"

#include "design/blur.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tavrin {

HintLabel::HintLabel(const QString& text, const QFont& font, QWidget* parent) : DesignWidget(parent), text_(text)
{
    setFont(font);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize HintLabel::sizeHint() const
{
    const QFontMetricsF fm(font());
    return QSize(int(std::ceil(fm.horizontalAdvance(text_))) + 2 * kPadding,
                 int(std::ceil(fm.height())) + 2 * kPadding);
}

QRectF HintLabel::textRect() const { return QRectF(rect()).adjusted(0, kPadding, 0, -kPadding); }

void HintLabel::drawText(QPainter& painter, const QColor& colour) const
{
    painter.setFont(font());
    painter.setPen(colour);
    painter.drawText(textRect(), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

QImage HintLabel::shadow() const
{
    // Where the window is cut to what it draws (no compositor), a soft
    // shadow would be cut away with the clear parts: it is drawn as a dark
    // rim that survives the cut instead.
    const bool opaque = !Environment::translucentWindow(this);
    const qreal scale = devicePixelRatioF();
    if (!shadow_.isNull() && shadowFor_ == size() && shadowOpaque_ == opaque && shadow_.devicePixelRatio() == scale)
        return shadow_;
    QImage mask(size() * scale, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.scale(scale, scale);
        drawText(p, Qt::black);
    }
    Blur::alpha(mask, kShadowRadius / 2 * scale);
    QImage image(mask.size(), QImage::Format_ARGB32_Premultiplied);
    const qreal gain = opaque ? 4.0 : kShadowOpacity;
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* in = mask.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            out[x] = qRgba(0, 0, 0, std::min(255, int(std::lround(in[x] * gain))));
    }
    image.setDevicePixelRatio(scale);
    shadow_ = image;
    shadowFor_ = size();
    shadowOpaque_ = opaque;
    return shadow_;
}

void HintLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPointF(), shadow());
    QColor ink(Qt::white);
    ink.setAlphaF(0.85f);
    drawText(painter, ink);
}

void HintLabel::environmentChanged()
{
    shadow_ = QImage();
    update();
}

} // namespace tavrin
