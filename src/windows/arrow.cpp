#include "windows/arrow.h"

#include "windows/display.h"

#include <cmath>

namespace tavrin {

namespace {
constexpr double kStepTolerance = 0.01;

using Steps = std::array<double, 3>;
constexpr Steps kSteps = {0.5, 1.0 / 3, 2.0 / 3};
constexpr Steps kUltrawideWidths = {1.0 / 3, 0.25, 0.5};

bool same(double a, double b) { return std::abs(a - b) <= kStepTolerance; }

bool horizontal(Arrow a) { return a == Arrow::left || a == Arrow::right; }

// The step after the one `current` shows (wrapping), or the first step when
// it shows none.
double nextStep(const Steps& steps, double current, bool placed)
{
    if (placed)
        for (std::size_t k = 0; k < steps.size(); ++k)
            if (same(current, steps[k]))
                return steps[(k + 1) % steps.size()];
    return steps[0];
}
} // namespace

QString name(Arrow arrow)
{
    switch (arrow) {
    case Arrow::left: return QStringLiteral("left");
    case Arrow::right: return QStringLiteral("right");
    case Arrow::up: return QStringLiteral("up");
    case Arrow::down: return QStringLiteral("down");
    }
    return {};
}

std::optional<UnitRect> nextUnit(Arrow arrow, const UnitRect& from, double aspect,
                                 const std::optional<ArrowPress>& previous)
{
    const bool ultrawide = isUltrawide(aspect);
    // A recent press across this arrow's axis turns this one into a corner.
    const bool corner = previous && horizontal(previous->arrow) != horizontal(arrow);
    const bool fullHeight = same(from.y, 0) && same(from.h, 1);
    const bool fullWidth = same(from.x, 0) && same(from.w, 1);

    if (horizontal(arrow)) {
        const Steps& widths = ultrawide ? kUltrawideWidths : kSteps;
        const bool left = arrow == Arrow::left;
        if (corner) {
            const double w = widths[0];
            return UnitRect{left ? 0 : 1 - w, previous->unit.y, w, previous->unit.h};
        }
        const bool atSide = left ? same(from.x, 0) : same(from.x + from.w, 1);
        const double w = nextStep(widths, from.w, atSide && fullHeight);
        return UnitRect{left ? 0 : 1 - w, 0, w, 1};
    }

    if (ultrawide) {
        if (arrow == Arrow::down)
            return std::nullopt;
        if (corner)
            return UnitRect{previous->unit.x, 0, previous->unit.w, 0.5};
        const bool centred = same(from.x + from.w / 2, 0.5);
        const double w = nextStep(kSteps, from.w, centred && fullHeight);
        return UnitRect{(1 - w) / 2, 0, w, 1};
    }

    const bool top = arrow == Arrow::up;
    if (corner)
        return UnitRect{previous->unit.x, top ? 0 : 0.5, previous->unit.w, 0.5};
    const bool atEdge = top ? same(from.y, 0) : same(from.y + from.h, 1);
    const double h = nextStep(kSteps, from.h, atEdge && fullWidth);
    return UnitRect{0, top ? 0 : 1 - h, 1, h};
}

} // namespace tavrin
