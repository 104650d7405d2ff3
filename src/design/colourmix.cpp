#include "design/colourmix.h"

#include <algorithm>

namespace tavrin {

QColor mixColours(const QColor& from, const QColor& to, qreal f)
{
    f = std::clamp<qreal>(f, 0, 1);
    if (f <= 0)
        return from;
    if (f >= 1)
        return to;
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    const float t = float(f);
    const float alpha = a.alphaF() + (b.alphaF() - a.alphaF()) * t;
    if (alpha <= 0)
        return QColor(0, 0, 0, 0);
    auto channel = [&](float x, float y) {
        return std::clamp((x * a.alphaF() + (y * b.alphaF() - x * a.alphaF()) * t) / alpha, 0.0f, 1.0f);
    };
    return QColor::fromRgbF(channel(a.redF(), b.redF()), channel(a.greenF(), b.greenF()), channel(a.blueF(), b.blueF()),
                            alpha);
}

} // namespace tavrin
