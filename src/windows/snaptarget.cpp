#include "windows/snaptarget.h"

#include "windows/display.h"

namespace tavrin {

namespace {
struct Entry {
    const char* name;
    const char* label;          // below aspect 2.0
    const char* ultrawideLabel; // from aspect 2.0
};

constexpr Entry kEntries[] = {
    {"topLeft", "Top left", "Top left third"},
    {"topHalf", "Top half", "Top centre third"},
    {"topRight", "Top right", "Top right third"},
    {"leftThird", "Left third", "Left third"},
    {"centreThird", "Centre third", "Centre third"},
    {"rightThird", "Right third", "Right third"},
    {"bottomLeft", "Bottom left", "Bottom left third"},
    {"bottomHalf", "Bottom half", "Bottom centre third"},
    {"bottomRight", "Bottom right", "Bottom right third"},
};

const Entry& entry(SnapTarget t) { return kEntries[static_cast<int>(t)]; }
} // namespace

QString name(SnapTarget target) { return QString::fromLatin1(entry(target).name); }

std::optional<SnapTarget> snapTargetFromName(const QString& name)
{
    for (SnapTarget t : kAllSnapTargets)
        if (name == QLatin1String(entry(t).name))
            return t;
    return std::nullopt;
}

UnitRect rect(SnapTarget target, double aspect)
{
    const int index = static_cast<int>(target);
    const int row = index / 3, column = index % 3;
    // Each third from its two edges, so that neighbouring thirds meet exactly.
    const double left = column / 3.0, width = (column + 1) / 3.0 - left;
    if (row == 1)
        return {left, 0, width, 1};
    const double y = row == 0 ? 0 : 0.5;
    if (isUltrawide(aspect))
        return {left, y, width, 0.5};
    if (column == 1)
        return {0, y, 1, 0.5};
    return {column == 0 ? 0 : 0.5, y, 0.5, 0.5};
}

QString label(SnapTarget target, double aspect)
{
    return QString::fromUtf8(isUltrawide(aspect) ? entry(target).ultrawideLabel : entry(target).label);
}

} // namespace tavrin
