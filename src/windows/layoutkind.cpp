#include "windows/layoutkind.h"

#include "windows/display.h"

namespace tavrin {

namespace {
struct Entry {
    const char* name;
    const char* title;
};
constexpr Entry kEntries[] = {
    {"focusCentre", "Focus centre"},
    {"halves", "Halves"},
    {"thirds", "Thirds"},
    {"studio", "Studio"},
    {"stack", "Stack"},
    {"columns", "Columns"},
};

// Edge i of k equal parts of the unit: every edge is computed once, as i/k,
// and every size as the difference of two edges, so that where one part
// ends the next begins exactly (4/6 + 1/6 falls just short of 5/6).
double edge(int i, int k) { return double(i) / k; }
double part(int i, int k) { return edge(i + 1, k) - edge(i, k); }

// `k` equal rows, top to bottom, of a full-height column.
void splitColumn(std::vector<UnitRect>& out, double x, double w, int k)
{
    for (int i = 0; i < k; ++i)
        out.push_back({x, edge(i, k), w, part(i, k)});
}

// Main slot in the middle; window i ≥ 1 goes to the left column when i is
// odd, to the right when even; each column is split into equal rows.
std::vector<UnitRect> alternate(const UnitRect& main, double side, int count)
{
    const int others = count - 1;
    const int leftCount = (others + 1) / 2, rightCount = others / 2;
    std::vector<UnitRect> left, right;
    splitColumn(left, 0, side, leftCount);
    splitColumn(right, 1 - side, side, rightCount);
    std::vector<UnitRect> out{main};
    for (int i = 1; i < count; ++i)
        out.push_back(i % 2 == 1 ? left[(i - 1) / 2] : right[(i - 2) / 2]);
    return out;
}

// One window fills; else the main slot at the left and the others stacked in
// the rest.
std::vector<UnitRect> mainAndStack(double mainWidth, int count)
{
    if (count == 1)
        return {UnitRect{}};
    std::vector<UnitRect> out{UnitRect{0, 0, mainWidth, 1}};
    splitColumn(out, mainWidth, 1 - mainWidth, count - 1);
    return out;
}
} // namespace

QString name(LayoutKind kind) { return QString::fromLatin1(kEntries[static_cast<int>(kind)].name); }

QString title(LayoutKind kind) { return QString::fromLatin1(kEntries[static_cast<int>(kind)].title); }

std::optional<LayoutKind> layoutKindFromName(const QString& name)
{
    for (LayoutKind k : kAllLayoutKinds)
        if (name == QLatin1String(kEntries[static_cast<int>(k)].name))
            return k;
    return std::nullopt;
}

std::vector<UnitRect> rects(LayoutKind kind, int count, double aspect)
{
    if (count < 1)
        return {};
    switch (kind) {
    case LayoutKind::focusCentre: {
        const double side = isUltrawide(aspect) ? 0.25 : 0.2;
        return alternate({side, 0, (1 - side) - side, 1}, side, count);
    }
    case LayoutKind::halves: return mainAndStack(0.5, count);
    case LayoutKind::thirds: return alternate({1.0 / 3, 0, 1.0 / 3, 1}, 1.0 / 3, count);
    case LayoutKind::studio: return mainAndStack(2.0 / 3, count);
    case LayoutKind::stack: {
        std::vector<UnitRect> out;
        splitColumn(out, 0, 1, count);
        return out;
    }
    case LayoutKind::columns: {
        std::vector<UnitRect> out;
        out.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            out.push_back({edge(i, count), 0, part(i, count), 1});
        return out;
    }
    }
    return {};
}

} // namespace tavrin
