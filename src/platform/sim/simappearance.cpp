#include "platform/sim/simappearance.h"

namespace tavrin {

SimAppearance::SimAppearance(QObject* parent) : Appearance(parent) {}

void SimAppearance::setColorScheme(ColorScheme scheme)
{
    if (scheme_ == scheme)
        return;
    scheme_ = scheme;
    emit colorSchemeChanged(scheme);
}

void SimAppearance::setReduceMotion(bool reduce)
{
    if (reduceMotion_ == reduce)
        return;
    reduceMotion_ = reduce;
    emit reduceMotionChanged(reduce);
}

void SimAppearance::setAccentColor(const QColor& color)
{
    // An accent is always opaque; a translucent or invalid one would let the
    // marks and fills that use it vanish.
    QColor opaque = color.isValid() ? color.toRgb() : defaultAccent();
    opaque.setAlphaF(1.0);
    if (accent_ == opaque)
        return;
    accent_ = opaque;
    emit accentColorChanged(opaque);
}

void SimAppearance::setBlurAvailable(bool available)
{
    if (blur_ == available)
        return;
    blur_ = available;
    emit blurAvailableChanged(available);
}

} // namespace tavrin
