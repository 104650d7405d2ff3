#include "windows/display.h"

#include "platform/platform.h"
#include "platform/screens.h"
#include "windows/unitrect.h"

#include <QHash>

namespace tavrin {

double aspectOf(const Rect& area) { return area.height > 0 ? area.width / area.height : 1.6; }

std::vector<Display> Display::fromScreens(const std::vector<ScreenInfo>& screens)
{
    QHash<QString, int> sameName;
    for (const ScreenInfo& s : screens)
        ++sameName[s.localizedName];

    std::vector<Display> displays;
    displays.reserve(screens.size());
    QHash<QString, int> unnumbered; // same-named displays without a serial met so far
    for (const ScreenInfo& s : screens) {
        Display d;
        d.id = s.displayNumber;
        d.name = s.localizedName;
        d.area = s.visibleFrame;
        d.pixelWidth = s.pixelWidth;
        d.pixelHeight = s.pixelHeight;
        if (sameName.value(s.localizedName) > 1) {
            const qint64 number = s.serialNumber != 0 ? qint64(s.serialNumber) : ++unnumbered[s.localizedName];
            d.keySuffix = QStringLiteral(" #") + QString::number(number);
        }
        displays.push_back(std::move(d));
    }
    return displays;
}

std::vector<Display> Display::all() { return fromScreens(Platform::current().screens->screens()); }

std::optional<Display> Display::containing(const Rect& rect, const std::vector<Display>& displays)
{
    if (displays.empty())
        return std::nullopt;
    std::vector<Rect> areas;
    areas.reserve(displays.size());
    for (const Display& d : displays)
        areas.push_back(d.area);
    return displays[UnitRect::bestScreenIndex(rect, areas).value_or(0)];
}

std::optional<Display> Display::containing(const Rect& rect) { return containing(rect, all()); }

Rect flipRect(const Rect& rect)
{
    const auto screens = Platform::current().screens->screens();
    const double height = screens.empty() ? 0 : screens.front().frame.height;
    return {rect.minX(), height - rect.maxY(), rect.width, rect.height};
}

} // namespace tavrin
