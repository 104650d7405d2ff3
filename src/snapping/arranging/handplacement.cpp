#include "snapping/arranging/handplacement.h"

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/eventmonitors.h"
#include "platform/platform.h"
#include "snapping/learning/learning.h"
#include "windows/display.h"

#include <QPointer>
#include <cmath>

namespace tavrin {

namespace {
constexpr double kEdge = 0.02;
constexpr int kMinEdges = 2;
constexpr double kMinUnitWidth = 0.12;
constexpr double kMinUnitHeight = 0.2;
} // namespace

HandPlacement::HandPlacement(Learning& learning, const Platform& platform, QObject* parent)
    : QObject(parent),
      learning_(learning),
      clock_(*platform.clock),
      accessibility_(*platform.accessibility),
      eventMonitors_(platform.eventMonitors)
{}

void HandPlacement::start()
{
    if (!monitors_.empty())
        return;
    if (!eventMonitors_)
        return;
    monitors_.push_back(connect(eventMonitors_, &EventMonitors::globalLeftMouseDown, this, &HandPlacement::pressed));
    monitors_.push_back(connect(eventMonitors_, &EventMonitors::globalLeftMouseUp, this, &HandPlacement::released));
}

bool HandPlacement::isPlacement(const UnitRect& u)
{
    const int edges = int(u.x < kEdge) + int(u.y < kEdge) + int(u.x + u.w > 1 - kEdge) + int(u.y + u.h > 1 - kEdge);
    return edges >= kMinEdges && u.h > kMinUnitHeight && u.w > kMinUnitWidth;
}

void HandPlacement::pressed()
{
    pressTask_.cancel();
    pressed_.reset();
    if (!accessibility_.isTrusted(false))
        return;
    pressTask_.start([self = QPointer<HandPlacement>(this), &clock = clock_](CancelToken token) -> QCoro::Task<> {
        co_await clock.sleep(kPressDelay, token);
        if (!self || token.isCancelled())
            co_return;
        if (const auto window = AXWindow::focused())
            if (const auto frame = window->frame())
                self->pressed_ = Pressed{*window, *frame};
    });
}

void HandPlacement::released()
{
    if (!pressed_)
        return;
    const Pressed press = std::exchange(pressed_, std::nullopt).value();
    // Several releases may be waiting at once, each with its own window.
    clock_.singleShot(kReleaseDelay, this, [this, press] { learn(press.window, press.frame); });
}

void HandPlacement::learn(const AXWindow& window, const Rect& before)
{
    const auto frame = window.frame();
    if (!frame)
        return;
    const bool moved =
        std::abs(frame->minX() - before.minX()) > kMinChange || std::abs(frame->minY() - before.minY()) > kMinChange
        || std::abs(frame->width - before.width) > kMinChange || std::abs(frame->height - before.height) > kMinChange;
    if (!moved)
        return;
    const auto display = Display::containing(*frame);
    if (!display)
        return;
    if (!(clock_.monotonic() - learning_.lastRecord() > kQuietAfterRecord))
        return;
    const UnitRect unit = UnitRect::fromFrame(*frame, display->area);
    if (!isPlacement(unit))
        return;
    const QString app = window.app.localizedName.isEmpty() ? QStringLiteral("Window") : window.app.localizedName;
    learning_.record(app, *display, unit, false);
}

} // namespace tavrin
