#pragma once

#include <QColor>

namespace tavrin {

// The colour `f` of the way from `a` to `b` (0: a, 1: b), blended with
// premultiplied channels, so that a translucent end fades rather than
// darkens.
QColor mixColours(const QColor& a, const QColor& b, qreal f);

} // namespace tavrin
