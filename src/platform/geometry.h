#pragma once

#include <algorithm>
#include <cmath>

namespace tavrin {

// Geometry at the platform seam: screen points, origin at the top left of the
// first screen, y growing downwards.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    Rect() = default;
    Rect(double x_, double y_, double w_, double h_) : x(x_), y(y_), width(w_), height(h_) {}
    Rect(Point origin, Size size) : x(origin.x), y(origin.y), width(size.width), height(size.height) {}

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    bool isEmpty() const { return !(width > 0) || !(height > 0); }

    bool contains(Point p) const { return p.x >= x && p.x < maxX() && p.y >= y && p.y < maxY(); }

    // The overlap of two rectangles; empty (zero size) when they do not meet.
    Rect intersected(const Rect& o) const
    {
        const double l = std::max(x, o.x), t = std::max(y, o.y);
        const double r = std::min(maxX(), o.maxX()), b = std::min(maxY(), o.maxY());
        if (r <= l || b <= t)
            return {};
        return {l, t, r - l, b - t};
    }
    bool intersects(const Rect& o) const { return !intersected(o).isEmpty(); }
    double area() const { return isEmpty() ? 0 : width * height; }

    Rect insetBy(double dx, double dy) const { return {x + dx, y + dy, width - 2 * dx, height - 2 * dy}; }
    Rect translated(double dx, double dy) const { return {x + dx, y + dy, width, height}; }
    // The smallest rectangle holding both.
    Rect united(const Rect& o) const
    {
        const double l = std::min(x, o.x), t = std::min(y, o.y);
        return {l, t, std::max(maxX(), o.maxX()) - l, std::max(maxY(), o.maxY()) - t};
    }

    // Equal within a tolerance in each of x, y, width and height.
    bool near(const Rect& o, double tolerance) const
    {
        return std::abs(x - o.x) <= tolerance && std::abs(y - o.y) <= tolerance
               && std::abs(width - o.width) <= tolerance && std::abs(height - o.height) <= tolerance;
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace tavrin
