#include "design/tbuttonstyle.h"

#include "design/designfont.h"
#include "design/shadowcache.h"
#include "design/squircle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kShadowBlur = 1;
constexpr QPointF kShadowOffset{0, 1};

QColor clear() { return QColor(0, 0, 0, 0); }

QColor black(qreal alpha)
{
    QColor c(Qt::black);
    c.setAlphaF(float(alpha));
    return c;
}
} // namespace

QColor TButtonStyle::brightness(const QColor& colour, qreal amount)
{
    const QColor rgb = colour.toRgb();
    auto channel = [amount](float v) { return std::clamp<float>(v + float(amount), 0.0f, 1.0f); };
    return QColor::fromRgbF(channel(rgb.redF()), channel(rgb.greenF()), channel(rgb.blueF()), rgb.alphaF());
}

TButtonStyle::Look TButtonStyle::look(const TTheme& t, bool pressed) const
{
    Look l;
    switch (kind_) {
    case Kind::normal:
        l.foreground = t.ink;
        l.fill = pressed ? t.fillHover : t.glassStrong;
        l.outline = t.line;
        l.shadow = black(0.06);
        l.padding = QMarginsF(12, 6, 12, 6);
        break;
    case Kind::primary:
        l.foreground = Qt::white;
        l.fill = pressed ? brightness(t.accent, -0.05) : t.accent;
        l.outline = clear();
        l.shadow = black(0.06);
        l.padding = QMarginsF(12, 6, 12, 6);
        break;
    case Kind::ghost:
        l.foreground = t.muted;
        l.fill = pressed ? t.fill : clear();
        l.outline = clear();
        l.shadow = clear();
        l.padding = QMarginsF(6, 4, 6, 4);
        break;
    }
    return l;
}

QFont TButtonStyle::font() const { return DesignFont::system(kFontSize); }

QSizeF TButtonStyle::size(const QString& label, bool hasIcon) const
{
    const QFontMetricsF fm(font());
    const Look l = look(TTheme::dark(), false);
    qreal width = fm.horizontalAdvance(label);
    if (hasIcon)
        width += fm.height() + (label.isEmpty() ? 0 : 4);
    return {std::ceil(width + l.padding.left() + l.padding.right()),
            std::ceil(fm.height() + l.padding.top() + l.padding.bottom())};
}

void TButtonStyle::paint(QPainter& painter, const QRectF& rect, const QString& label, const QIcon& icon,
                         const TTheme& t, bool pressed) const
{
    const Look l = look(t, pressed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    ShadowCache::draw(painter, rect, kRadius, kShadowBlur, l.shadow, kShadowOffset);
    Squircle::fill(painter, rect, kRadius, l.fill);
    Squircle::hairline(painter, rect, kRadius, l.outline);

    const QRectF inner = rect.marginsRemoved(l.padding);
    const QFont f = font();
    const QFontMetricsF fm(f);
    const qreal iconSize = icon.isNull() ? 0 : fm.height();
    const qreal gap = icon.isNull() || label.isEmpty() ? 0 : 4;
    const qreal contentWidth = iconSize + gap + fm.horizontalAdvance(label);
    qreal x = inner.center().x() - contentWidth / 2;
    if (!icon.isNull()) {
        const QRectF iconRect(x, inner.center().y() - iconSize / 2, iconSize, iconSize);
        icon.paint(&painter, iconRect.toAlignedRect());
        x += iconSize + gap;
    }
    painter.setFont(f);
    painter.setPen(l.foreground);
    painter.drawText(QRectF(x, inner.top(), inner.right() - x + 1, inner.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     label);
    painter.restore();
}

} // namespace tavrin
