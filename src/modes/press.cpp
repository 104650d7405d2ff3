#include "modes/press.h"

#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {
// `bounds` with the pressed edges moved by (dx, dy); an edge dragged past the
// opposite one gives a rectangle of positive size between them.
Rect resized(const Rect& bounds, const Press::Edges& edges, double dx, double dy)
{
    double l = bounds.minX(), r = bounds.maxX(), t = bounds.minY(), b = bounds.maxY();
    if (edges.left)
        l += dx;
    if (edges.right)
        r += dx;
    if (edges.top)
        t += dy;
    if (edges.bottom)
        b += dy;
    return {std::min(l, r), std::min(t, b), std::abs(r - l), std::abs(b - t)};
}
} // namespace

std::optional<Rect> Press::predictedFrame() const
{
    const double dx = last.x - start.x, dy = last.y - start.y;
    switch (kind) {
    case Kind::bar:
    case Kind::move: return Rect(bounds.x + dx, bounds.y + dy, bounds.width, bounds.height);
    case Kind::body:
    case Kind::none: return std::nullopt;
    case Kind::resize: break;
    }
    const Rect moved = resized(bounds, edges, dx, dy);
    if (!live)
        return moved;
    return moved.united(resized(bounds, edges, live->x - start.x, live->y - start.y));
}

} // namespace tavrin
