#include "windows/windowmanager.h"

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"

#include <QUuid>
#include <algorithm>
#include <cmath>
#include <memory>

namespace tavrin {

namespace {
constexpr double kDefaultGap = 8.0;
// A window still counts as where the program put it within this many points.
constexpr double kPlacedTolerance = 2.0;
// The owner of the frames ↓ puts back: each window's before the program first
// moved it.
const QString kArrowsOwner = QStringLiteral("arrows");

// The frame moved, along each axis, to lie inside the area less the gap, or
// inside the area itself where it is too large for that; a frame larger than
// the area keeps its top or left edge on the area's.
Rect keptInside(const Rect& frame, const Rect& area, double gap)
{
    const double g = std::max(gap, 0.0);
    auto axis = [g](double position, double size, double lo, double hi) {
        if (size <= hi - lo - 2 * g) {
            lo += g;
            hi -= g;
        }
        return std::max(std::min(position, hi - size), lo);
    };
    return {axis(frame.x, frame.width, area.minX(), area.maxX()), axis(frame.y, frame.height, area.minY(), area.maxY()),
            frame.width, frame.height};
}

// Which window goes to which slot: the learner's choice, checked, with every
// window it left out given the next free slot.
std::vector<std::pair<std::size_t, std::size_t>> assignSlots(PlacementLearner* learner,
                                                             const std::vector<AXWindow>& windows,
                                                             const std::vector<UnitRect>& zones, const Display& display)
{
    std::vector<std::pair<std::size_t, std::size_t>> out;
    std::vector<bool> windowDone(windows.size(), false), zoneDone(zones.size(), false);
    if (learner) {
        QStringList apps;
        for (const AXWindow& w : windows)
            apps << w.app.localizedName;
        for (const auto& [app, slot] : learner->placements(apps, zones, display)) {
            if (app < 0 || slot < 0 || std::size_t(app) >= windows.size() || std::size_t(slot) >= zones.size()
                || windowDone[app] || zoneDone[slot])
                continue;
            windowDone[app] = zoneDone[slot] = true;
            out.emplace_back(app, slot);
        }
    }
    std::size_t freeSlot = 0;
    for (std::size_t w = 0; w < windows.size(); ++w) {
        if (windowDone[w])
            continue;
        while (freeSlot < zones.size() && zoneDone[freeSlot])
            ++freeSlot;
        if (freeSlot == zones.size())
            break;
        zoneDone[freeSlot] = true;
        out.emplace_back(w, freeSlot);
    }
    return out;
}
} // namespace

void WindowManager::publish(const QString& message)
{
    if (message == lastMessage_ && message.isNull() == lastMessage_.isNull())
        return;
    lastMessage_ = message;
    emit lastMessageChanged();
}

void WindowManager::fail(const QString& message)
{
    publish(message);
    Platform::current().workspace->beep();
}

bool WindowManager::trusted() const { return Platform::current().accessibility->isTrusted(false); }

double WindowManager::gap() const
{
    const auto g = Platform::current().defaults->number(QStringLiteral("gap"));
    return g && std::isfinite(*g) ? *g : kDefaultGap;
}

std::optional<Display> WindowManager::focusedContext() const
{
    AXActionScope scope;
    const auto displays = Display::all();
    if (displays.empty())
        return std::nullopt;
    if (const auto window = AXWindow::focused())
        if (const auto frame = window->frame())
            return Display::containing(*frame, displays);
    return displays.front();
}

LayoutKind WindowManager::usualLayout(const Display& display) const
{
    if (const auto stored = Platform::current().defaults->string(usualLayoutKey(display)))
        if (const auto kind = layoutKindFromName(*stored))
            return *kind;
    if (!(display.area.height > 0))
        return LayoutKind::halves;
    return isUltrawide(display.aspect()) ? LayoutKind::focusCentre : LayoutKind::halves;
}

const WindowManager::Placement* WindowManager::standing(const QString& identity, const Rect& frame,
                                                        const Display& display) const
{
    const auto it = placements_.constFind(identity);
    if (it == placements_.constEnd() || it->displayId != display.id || it->area != display.area)
        return nullptr;
    return it->frame.near(frame, kPlacedTolerance) || it->settled.near(frame, kPlacedTolerance) ? &*it : nullptr;
}

UnitRect WindowManager::currentUnit(const QString& identity, const Rect& frame, const Display& display) const
{
    // A window still where the program put it sits at the unit it was given;
    // reading it back from the frame would lose it to the gap, rounding and
    // the window's own size steps, a little more on every move.
    if (const Placement* placed = standing(identity, frame, display))
        return placed->unit;
    return UnitRect::fromFrame(frame, display.area);
}

std::optional<WindowManager::Landing> WindowManager::setFrameInside(const AXWindow& window, const Rect& frame,
                                                                    const Rect& area, double gap,
                                                                    const std::optional<Rect>& from)
{
    if (!window.setFrame(frame, from))
        return std::nullopt;
    const Rect settled = window.frame().value_or(frame);
    // A window that would not shrink to the frame (a minimum size) may now
    // run off the display: move it back inside, at the size it insists on.
    if (settled.width <= frame.width + kPlacedTolerance && settled.height <= frame.height + kPlacedTolerance)
        return Landing{frame, settled};
    const Rect inside = keptInside(settled, area, gap);
    if (inside.near(settled, 0.5) || !window.setFrame(inside, settled))
        return Landing{frame, settled};
    return Landing{inside, window.frame().value_or(inside)};
}

std::optional<WindowManager::ArrowContext> WindowManager::arrowContext() const
{
    AXActionScope scope;
    auto window = AXWindow::focused();
    if (!window)
        return std::nullopt;
    const auto frame = window->frame();
    if (!frame)
        return std::nullopt;
    auto display = Display::containing(*frame);
    if (!display)
        return std::nullopt;
    const QString identity = window->id();
    ArrowContext context{std::move(*window), *frame, std::move(*display), {}, std::nullopt, std::nullopt};
    context.unit = currentUnit(identity, context.frame, context.display);
    if (lastPress_ && lastPress_->identity == identity
        && Platform::current().clock->monotonic() - lastPress_->at < kArrowChordSeconds)
        context.previous = lastPress_->press;
    if (const Kept* before = kept(kArrowsOwner, identity))
        context.restoreUnit = UnitRect::fromFrame(before->frame, before->area);
    return context;
}

std::optional<WindowManager::ArrowContext> WindowManager::movableFocusedWindow()
{
    if (!trusted()) {
        fail(kNeedsTrustMessage);
        return std::nullopt;
    }
    auto context = arrowContext();
    if (!context)
        fail(kNoWindowMessage);
    return context;
}

std::optional<Rect> WindowManager::place(const ArrowContext& context, const UnitRect& unit, const Display& display,
                                         Placing placing)
{
    const bool zoned = placing != Placing::free;
    const double g = zoned ? gap() : 0;
    const auto landing = setFrameInside(context.window, unit.rect(display.area, g), display.area, g, context.frame);
    if (!landing) {
        fail(kNotMovedMessage);
        return std::nullopt;
    }
    const QString identity = context.window.id();
    keep(kArrowsOwner, context.window, context.frame, context.display.area);
    placements_.insert(identity,
                       {unit, landing->given, landing->settled, zoned, display.id, nextSerial_++, display.area});
    if (placing == Placing::learnt && learner())
        learner()->record(context.window.app.localizedName, display, unit, false);
    publish(QString());
    return landing->given;
}

std::optional<Rect> WindowManager::putBack(const ArrowContext& context)
{
    if (!context.restoreUnit) {
        Platform::current().workspace->beep();
        return std::nullopt;
    }
    // The unit was measured from the bare frame: without a gap it gives that
    // frame back.
    const Rect frame = context.restoreUnit->rect(context.display.area, 0);
    if (!context.window.setFrame(frame)) {
        fail(kNotMovedMessage);
        return std::nullopt;
    }
    const QString identity = context.window.id();
    forget(kArrowsOwner, identity);
    placements_.remove(identity);
    lastPress_.reset();
    publish(QString());
    return frame;
}

std::optional<Rect> WindowManager::arrow(Arrow arrow)
{
    AXActionScope scope;
    const auto context = movableFocusedWindow();
    if (!context)
        return std::nullopt;
    const QString identity = context->window.id();
    const auto unit = nextUnit(arrow, context->unit, context->display.aspect(), context->previous);
    if (!unit)
        return putBack(*context);
    const auto frame = place(*context, *unit, context->display);
    if (frame)
        lastPress_ = LastPress{identity, {arrow, *unit}, Platform::current().clock->monotonic()};
    return frame;
}

std::optional<Rect> WindowManager::fill()
{
    AXActionScope scope;
    const auto context = movableFocusedWindow();
    if (!context)
        return std::nullopt;
    return place(*context, UnitRect{}, context->display);
}

std::optional<Rect> WindowManager::snap(SnapTarget target)
{
    AXActionScope scope;
    const auto context = movableFocusedWindow();
    if (!context)
        return std::nullopt;
    return place(*context, rect(target, context->display.aspect()), context->display);
}

std::optional<Rect> WindowManager::moveToDisplay(bool right)
{
    AXActionScope scope;
    const auto context = movableFocusedWindow();
    if (!context)
        return std::nullopt;
    const double from = context->display.area.midX();
    std::optional<Display> target;
    for (const Display& d : Display::all()) {
        const double mid = d.area.midX();
        if (right ? mid <= from : mid >= from)
            continue;
        if (!target || std::abs(mid - from) < std::abs(target->area.midX() - from))
            target = d;
    }
    if (!target) {
        fail(kNoDisplayMessage);
        return std::nullopt;
    }
    // The unit is the one the window was given while it stands there, so a
    // window that sizes in steps neither shrinks nor creeps move after move.
    const Placement* placed = standing(context->window.id(), context->frame, context->display);
    return place(*context, context->unit, *target, placed && placed->zoned ? Placing::zone : Placing::free);
}

void WindowManager::applyLayout(LayoutKind kind, bool remember, const std::optional<Display>& display,
                                const std::optional<QStringList>& apps, const std::optional<QStringList>& identities,
                                bool quiet)
{
    AXActionScope scope;
    if (!trusted()) {
        if (!quiet)
            fail(kNeedsTrustMessage);
        return;
    }
    const auto target = display ? display : focusedContext();
    if (!target)
        return;

    // The display's windows, the focused one first, then front to back.
    const auto displays = Display::all();
    std::vector<AXWindow> windows;
    for (AXWindow& w : AXWindow::onScreenInZOrder()) {
        if (apps && !apps->contains(w.app.localizedName))
            continue;
        if (identities && !identities->contains(w.id()))
            continue;
        const auto frame = w.frame();
        const auto on = frame ? Display::containing(*frame, displays) : std::nullopt;
        if (on && on->id == target->id)
            windows.push_back(std::move(w));
    }
    if (const auto focused = AXWindow::focused()) {
        const auto it = std::find(windows.begin(), windows.end(), *focused);
        if (it != windows.end())
            std::rotate(windows.begin(), it, it + 1);
    }
    if (identities) {
        std::stable_sort(windows.begin(), windows.end(), [&](const AXWindow& a, const AXWindow& b) {
            return identities->indexOf(a.id()) < identities->indexOf(b.id());
        });
    }
    if (windows.empty()) {
        if (!quiet)
            fail(QStringLiteral("There are no windows on ") + target->name + QStringLiteral(" to arrange."));
        return;
    }

    const auto zones = rects(kind, int(windows.size()), target->aspect());
    std::vector<std::pair<AXWindow, UnitRect>> inZones;
    std::vector<std::size_t> slotOf;
    for (const auto& [w, s] : assignSlots(learner(), windows, zones, *target)) {
        inZones.emplace_back(windows[w], zones[s]);
        slotOf.push_back(s);
    }
    const std::vector<Arranged> placed = arrange(inZones, *target);
    if (!quiet && learner())
        for (const Arranged& a : placed)
            learner()->record(a.window.app.localizedName, *target, inZones[a.index].second, slotOf[a.index] == 0);
    if (remember)
        Platform::current().defaults->setValue(usualLayoutKey(*target), name(kind));
    publish(QString());
}

std::vector<WindowManager::Arranged> WindowManager::arrange(const std::vector<std::pair<AXWindow, UnitRect>>& zones,
                                                            const Display& display, const std::vector<double>& checks,
                                                            const CancelToken& cancel)
{
    AXActionScope scope;
    const double g = gap();
    std::vector<Arranged> out;
    std::vector<std::pair<AXWindow, std::uint64_t>> placed;
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const auto& [window, unit] = zones[i];
        const auto before = window.frame();
        const auto landing = setFrameInside(window, unit.rect(display.area, g), display.area, g, before);
        if (!landing)
            continue;
        const std::uint64_t serial = nextSerial_++;
        placements_.insert(window.id(),
                           {unit, landing->given, landing->settled, true, display.id, serial, display.area});
        placed.emplace_back(window, serial);
        out.push_back({i, window, before, landing->given});
    }
    recheckLater(std::move(placed), checks, cancel);
    return out;
}

void WindowManager::putBack(const std::vector<std::pair<AXWindow, Rect>>& frames)
{
    AXActionScope scope;
    for (const auto& [window, frame] : frames) {
        window.setFrame(frame);
        placements_.remove(window.id());
    }
}

const WindowManager::Kept* WindowManager::kept(const QString& owner, const QString& identity) const
{
    const auto list = kept_.constFind(owner);
    if (list == kept_.constEnd())
        return nullptr;
    const auto it = std::find_if(list->begin(), list->end(), [&](const Kept& k) { return k.window.id() == identity; });
    return it == list->end() ? nullptr : &*it;
}

void WindowManager::forget(const QString& owner, const QString& identity)
{
    const auto list = kept_.find(owner);
    if (list != kept_.end())
        std::erase_if(*list, [&](const Kept& k) { return k.window.id() == identity; });
}

void WindowManager::keep(const QString& owner, const AXWindow& window, const Rect& frame, const Rect& area)
{
    if (!kept(owner, window.id()))
        kept_[owner].push_back(Kept{window, frame, area});
}

void WindowManager::keepFrames(const QString& owner, const std::vector<AXWindow>& windows)
{
    AXActionScope scope;
    for (const AXWindow& window : windows)
        if (const auto frame = window.frame())
            keep(owner, window, *frame, {});
}

std::vector<std::pair<AXWindow, Rect>> WindowManager::keptFrames(const QString& owner) const
{
    std::vector<std::pair<AXWindow, Rect>> out;
    for (const Kept& k : kept_.value(owner))
        out.emplace_back(k.window, k.frame);
    return out;
}

void WindowManager::putBackKept(const QString& owner)
{
    putBack(keptFrames(owner));
    kept_.remove(owner);
}

void WindowManager::recheckLater(std::vector<std::pair<AXWindow, std::uint64_t>> windows,
                                 const std::vector<double>& checks, const CancelToken& cancel)
{
    if (windows.empty())
        return;
    // Some applications settle a moment after a move (or undo part of it);
    // set a frame that drifted once more, unless the window was moved or put
    // back meanwhile or the arrangement was called off.
    auto shared = std::make_shared<const std::vector<std::pair<AXWindow, std::uint64_t>>>(std::move(windows));
    for (const double delay : checks)
        Platform::current().clock->singleShot(delay, this, [this, shared, cancel] {
            if (cancel.isCancelled())
                return;
            AXActionScope scope;
            for (const auto& [window, serial] : *shared) {
                const auto it = placements_.constFind(window.id());
                if (it == placements_.constEnd() || it->serial != serial)
                    continue;
                const auto frame = window.frame();
                if (frame && !frame->near(it->frame, kRecheckTolerance))
                    window.setFrame(it->frame);
            }
        });
}

QHash<std::uint32_t, std::vector<WindowSnapshot>> WindowManager::snapshots(const std::vector<Display>& displays) const
{
    QHash<std::uint32_t, std::vector<WindowSnapshot>> out;
    for (const Display& d : displays)
        out.insert(d.id, {});
    if (displays.empty() || !trusted())
        return out;
    AXActionScope scope;
    const std::vector<Display> all = Display::all();
    const auto focused = AXWindow::focused();
    const std::vector<AXWindow> windows = AXWindow::onScreenInZOrder();
    for (auto w = windows.rbegin(); w != windows.rend(); ++w) {
        const auto frame = w->frame();
        if (!frame)
            continue;
        const auto on = Display::containing(*frame, all);
        if (!on)
            continue;
        const auto list = out.find(on->id);
        if (list == out.end())
            continue;
        const QString app = w->app.localizedName.isEmpty() ? QStringLiteral("Window") : w->app.localizedName;
        const auto display =
            std::find_if(displays.begin(), displays.end(), [&](const Display& d) { return d.id == on->id; });
        list->push_back({QUuid::createUuid(), app, w->string(ax::Title).value_or(QString()),
                         UnitRect::fromFrame(*frame, display->area), focused && *focused == *w, w->id()});
    }
    return out;
}

std::vector<WindowSnapshot> WindowManager::snapshot(const Display& display) const
{
    return snapshots({display}).value(display.id);
}

} // namespace tavrin
