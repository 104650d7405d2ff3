#include "windows/unitrect.h"

#include <cmath>

namespace tavrin {

UnitRect UnitRect::fromFrame(const Rect& frame, const Rect& area)
{
    const Rect inside = frame.intersected(area);
    const Rect r = inside.isEmpty() ? frame : inside;
    // An area without size leaves the fractions over one point.
    const double aw = area.width > 0 ? area.width : 1;
    const double ah = area.height > 0 ? area.height : 1;
    return {(r.x - area.x) / aw, (r.y - area.y) / ah, r.width / aw, r.height / ah};
}

std::optional<std::size_t> UnitRect::bestScreenIndex(const Rect& rect, const std::vector<Rect>& areas)
{
    std::optional<std::size_t> best;
    double bestArea = 0;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const double a = rect.intersected(areas[i]).area();
        if (a > bestArea) {
            bestArea = a;
            best = i;
        }
    }
    return best;
}

namespace {
// Rounds half up, counting a value within a hair below a half as the half:
// one edge reached along two paths (x + w of a rectangle, x of the
// neighbour that starts there) may differ in the last bits, and must still
// land on the same whole point, or the two windows end a point too far apart.
double roundEdge(double v) { return std::floor(v + 0.5 + 1e-9); }
} // namespace

Rect UnitRect::rect(const Rect& area, double gap) const
{
    const double half = std::max(gap, 0.0) * 0.5;
    const Rect r = area.insetBy(half, half);
    // Each edge is placed once in the inset area, then moved half a gap
    // inward, so that the windows on either side of it end a full gap apart.
    const double left = r.minX() + x * r.width, right = r.minX() + (x + w) * r.width;
    const double top = r.minY() + y * r.height, bottom = r.minY() + (y + h) * r.height;
    const double minX = roundEdge(left + half), maxX = roundEdge(right - half);
    const double minY = roundEdge(top + half), maxY = roundEdge(bottom - half);
    return {minX, minY, std::max(maxX - minX, 1.0), std::max(maxY - minY, 1.0)};
}

QString UnitRect::zoneName(bool focus) const
{
    const double cx = x + w * 0.5;
    const double cy = y + h * 0.5;
    if (focus) {
        if (w > 0.95)
            return QStringLiteral("Focus, full");
        if (cx < 0.36)
            return QStringLiteral("Focus, left");
        if (cx > 0.64)
            return QStringLiteral("Focus, right");
        return QStringLiteral("Focus, centre");
    }
    if (h > 0.95 && w <= 0.3 && (x < 0.03 || x + w > 0.97))
        return QStringLiteral("Edge strip");
    QString column = cx < 0.36   ? QStringLiteral("Left")
                     : cx > 0.64 ? QStringLiteral("Right")
                                 : QStringLiteral("Centre");
    if (h > 0.95)
        return column;
    const QString row = cy < 0.4   ? QStringLiteral("top")
                        : cy > 0.6 ? QStringLiteral("bottom")
                                   : QStringLiteral("middle");
    return column + QStringLiteral(", ") + row;
}

bool UnitRect::near(const UnitRect& o, double tolerance) const
{
    return std::abs(x - o.x) <= tolerance && std::abs(y - o.y) <= tolerance && std::abs(w - o.w) <= tolerance
           && std::abs(h - o.h) <= tolerance;
}

QJsonObject UnitRect::toJson() const
{
    return {{QStringLiteral("x"), x}, {QStringLiteral("y"), y}, {QStringLiteral("w"), w}, {QStringLiteral("h"), h}};
}

std::optional<UnitRect> UnitRect::fromJson(const QJsonObject& json)
{
    const QJsonValue vx = json.value(QStringLiteral("x")), vy = json.value(QStringLiteral("y"));
    const QJsonValue vw = json.value(QStringLiteral("w")), vh = json.value(QStringLiteral("h"));
    if (!vx.isDouble() || !vy.isDouble() || !vw.isDouble() || !vh.isDouble())
        return std::nullopt;
    return UnitRect{vx.toDouble(), vy.toDouble(), vw.toDouble(), vh.toDouble()};
}

namespace {
constexpr double kLabelTolerance = 0.03;

bool close(double a, double b) { return std::abs(a - b) <= kLabelTolerance; }

// The fraction glyph for ¼ ⅓ ½ ⅔ ¾, or empty.
QString fraction(double v)
{
    static const struct {
        double value;
        const char16_t* glyph;
    } table[] = {{0.25, u"¼"}, {1.0 / 3, u"⅓"}, {0.5, u"½"}, {2.0 / 3, u"⅔"}, {0.75, u"¾"}};
    for (const auto& f : table)
        if (close(v, f.value))
            return QString::fromUtf16(f.glyph);
    return {};
}
} // namespace

QString label(const std::optional<UnitRect>& unit)
{
    if (!unit)
        return QStringLiteral("put back");
    const UnitRect& u = *unit;
    const bool fullWidth = close(u.x, 0) && close(u.w, 1);
    const bool fullHeight = close(u.y, 0) && close(u.h, 1);
    if (fullWidth && fullHeight)
        return QStringLiteral("full");
    if (fullWidth) {
        const QString f = fraction(u.h);
        if (!f.isEmpty()) {
            if (close(u.y, 0))
                return QStringLiteral("top ") + f;
            if (close(u.y + u.h, 1))
                return QStringLiteral("bottom ") + f;
            if (close(u.y + u.h / 2, 0.5))
                return QStringLiteral("middle ") + f;
        }
        return QStringLiteral("full width");
    }
    if (fullHeight) {
        const QString f = fraction(u.w);
        if (!f.isEmpty()) {
            if (close(u.x, 0))
                return QStringLiteral("left ") + f;
            if (close(u.x + u.w, 1))
                return QStringLiteral("right ") + f;
            if (close(u.x + u.w / 2, 0.5))
                return QStringLiteral("centre ") + f;
        }
    }
    return QStringLiteral("custom");
}

} // namespace tavrin
