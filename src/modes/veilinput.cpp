#include "modes/veilinput.h"

#include "modes/sharesafe.h"
#include "modes/veilengine.h"
#include "modes/veilpanel.h"
#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/eventmonitors.h"
#include "platform/platform.h"
#include "platform/screens.h"
#include "platform/workspace.h"

#include <QPointer>
#include <cmath>
#include <memory>

namespace tavrin {

namespace {
// Windows on layers above this (the menu bar, overlays) are never pressed.
constexpr int kHighestPressLayer = 999;
// A window on a raised layer this close around a whole screen covers it.
constexpr double kOverlaySlack = 2;
// The speed and velocity follow each drag event by these shares.
constexpr double kSpeedShare = 0.4, kVelocityShare = 0.7;
// Drag events closer than this (seconds) tell nothing of the speed.
constexpr double kShortestStep = 0.0005;
constexpr double kMarginPerSpeed = 0.03;
// The velocity fades after this long (seconds) without a drag event.
constexpr double kIdleBeforeDecay = 0.03, kDecay = 0.4, kStill = 20;
// A drag has begun in earnest after this long and this far.
constexpr double kMovedAfter = 0.15, kMovedBeyond = 20;
constexpr double kButtonHold = 0.8;
constexpr double kReleaseHold = 0.15, kResizeReleaseHold = 0.35, kResizeReleaseMargin = 18;
// A release this close to a screen's edge tiles the window (where the desktop does).
constexpr double kTileEdge = 3;
const QString kDock = QStringLiteral("Dock");

Rect grown(const Rect& r, double by) { return r.insetBy(-by, -by); }
double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
} // namespace

VeilInput::VeilInput(VeilEngine& engine, ShareSafe& share, const Platform& platform)
    : engine_(engine),
      share_(share),
      platform_(platform)
{}

VeilInput::~VeilInput() { stopTaps(); }

bool VeilInput::passes(const TapEvent& event, bool pressing, bool dockPressed)
{
    switch (event.type) {
    case TapEvent::Type::leftMouseDown: return true;
    case TapEvent::Type::leftMouseUp: return pressing || dockPressed;
    case TapEvent::Type::leftMouseDragged: return pressing;
    case TapEvent::Type::keyDown: return (event.flags & modflag::command) != 0;
    case TapEvent::Type::flagsChanged: return true;
    }
    return false;
}

// ---- The taps ----

void VeilInput::startTaps()
{
    InputTaps* taps = platform_.inputTaps;
    if (!taps || taps->isRunning())
        return;
    if (!connected_) {
        connect(taps, &InputTaps::event, this, &VeilInput::handle);
        connected_ = true;
    }
    // The filter runs on the taps' thread: it reads only the shared flags.
    QString problem;
    const bool started = taps->start(
        [state = tap_](const TapEvent& e) { return passes(e, state->pressing.load(), state->dockPressed.load()); },
        kTapStartTimeout, &problem);
    if (started || saidTapsFailed_)
        return;
    saidTapsFailed_ = true;
    if (Workspace* workspace = platform_.workspace)
        workspace->log(QStringLiteral("Share-safe cannot watch the mouse and keyboard (%1); veils follow windows "
                                      "at the screen's refresh rate only.")
                           .arg(problem.isEmpty() ? QStringLiteral("the input taps did not start") : problem));
}

void VeilInput::stopTaps()
{
    if (InputTaps* taps = platform_.inputTaps)
        taps->stop();
    tap_->pressing = false;
}

void VeilInput::reset()
{
    setPress(std::nullopt);
    switching_ = false;
    tap_->dockPressed = false;
    dockIsPrivate_ = false;
}

void VeilInput::setPress(std::optional<Press> press)
{
    press_ = press;
    tap_->pressing = press_.has_value();
}

TitleBar VeilInput::titleBar() const
{
    WindowServer* server = platform_.windowServer;
    return server ? server->titleBar() : TitleBar{};
}

void VeilInput::decay()
{
    InputTaps* taps = platform_.inputTaps;
    if (!press_ || press_->lastTime == 0 || !taps)
        return;
    const std::uint64_t now = taps->now();
    if (now <= press_->lastTime || double(now - press_->lastTime) / 1e9 <= kIdleBeforeDecay)
        return;
    Point& v = press_->velocity;
    if (v.x == 0 && v.y == 0)
        return;
    v.x *= kDecay;
    v.y *= kDecay;
    if (std::abs(v.x) < kStill && std::abs(v.y) < kStill)
        v = {};
}

// ---- Dispatch ----

void VeilInput::handle(const TapEvent& event)
{
    if (!share_.active())
        return;
    switch (event.type) {
    case TapEvent::Type::leftMouseDown: mouseDown(event); return;
    case TapEvent::Type::leftMouseUp: mouseUp(event); return;
    case TapEvent::Type::leftMouseDragged: mouseDragged(event); return;
    case TapEvent::Type::keyDown: keyDown(event); return;
    case TapEvent::Type::flagsChanged:
        // The switcher closes with ⌘: what it chose comes forward.
        if (switching_ && !(event.flags & modflag::command)) {
            switching_ = false;
            engine_.floatAll();
        }
        return;
    }
}

// ---- Press ----

const WindowInfo* VeilInput::pressedWindow(Point at) const
{
    std::vector<ScreenInfo> screens;
    if (Screens* s = platform_.screens)
        screens = s->screens();
    const double edge = titleBar().resizeEdge;
    for (const WindowInfo& w : engine_.lastList()) {
        if (w.ownerPid == engine_.me() || !(w.alpha > 0) || w.layer > kHighestPressLayer)
            continue;
        if (w.layer == 0) {
            // Just outside a window's edge is still on it (its resize border).
            if (grown(w.bounds, edge).contains(at))
                return &w;
            continue;
        }
        if (!w.bounds.contains(at))
            continue;
        const Rect around = grown(w.bounds, kOverlaySlack);
        const bool overlay = std::any_of(screens.begin(), screens.end(), [&](const ScreenInfo& s) {
            return around.contains(s.frame.origin()) && around.maxX() >= s.frame.maxX()
                   && around.maxY() >= s.frame.maxY();
        });
        if (!overlay)
            return &w;
    }
    return nullptr;
}

void VeilInput::mouseDown(const TapEvent& event)
{
    const WindowInfo* window = pressedWindow(event.location);
    setPress(std::nullopt);
    if (!window) {
        engine_.revealDesktop();
        return;
    }
    if (!engine_.revealed().empty())
        engine_.restoreDesktop();
    if (engine_.trackedEntry(window->number))
        pressVeiled(*window, event);
    else if (window->layer == 0)
        pressUnveiled(*window);
    else if (window->ownerName == kDock)
        checkDockItem(event.location);
}

void VeilInput::pressVeiled(const WindowInfo& window, const TapEvent& event)
{
    VeilEngine::Tracked& entry = *engine_.trackedEntry(window.number);
    const Rect b = engine_.currentBounds(window.number).value_or(window.bounds);
    entry.previous = entry.bounds;
    entry.bounds = b;

    const TitleBar bar = titleBar();
    const double x = event.location.x - b.minX(), y = event.location.y - b.minY();
    const double e = bar.resizeEdge;
    Press p;
    p.number = window.number;
    p.start = p.last = event.location;
    p.bounds = b;
    if (x < e || x > b.width - e || y < e || y > b.height - e) {
        p.kind = Press::Kind::resize;
        p.edges = {x<e, x> b.width - e, y<e, y> b.height - e};
    } else {
        p.kind = y < bar.dragHeight ? Press::Kind::bar : Press::Kind::body;
    }
    p.startTime = p.extraSince = engine_.now();
    setPress(p);

    // The pressed window is about to rise: its veil goes first.
    engine_.raise(entry);
    // A double click on the title bar may zoom the window.
    if (p.kind == Press::Kind::bar && event.clickCount >= 2)
        if (const auto s = engine_.screen(b))
            engine_.hold(window.number, s->frame, kButtonHold);
    engine_.place(window.number);
}

void VeilInput::pressUnveiled(const WindowInfo& window)
{
    // It comes to the front and must cover the floating veils it overlaps.
    for (const auto& [number, entry] : engine_.tracked()) {
        VeilSurface& veil = entry.veil->surface();
        if (veil.level() != VeilSurface::kNormalLevel && entry.bounds.intersects(window.bounds)) {
            veil.setLevel(VeilSurface::kNormalLevel);
            veil.orderAbove(number);
        }
    }
}

void VeilInput::checkDockItem(Point at)
{
    dockIsPrivate_ = false;
    tap_->dockPressed = true;
    const std::uint64_t check = ++dockCheck_;
    // The item's title is asked of the Dock away from the main thread; the
    // private names are read here, where they live.
    auto title = std::make_shared<std::optional<QString>>();
    // The service is taken here: the pool never reads the installed services,
    // which quitting takes away.
    Accessibility* ax = platform_.accessibility;
    if (!ax)
        return;
    platform_.clock->runInBackground(
        [title, at, ax] {
            const auto element = ax->elementAtPosition(ax->systemWideElement(), at).as<AXElement>();
            if (element)
                *title = ax->attribute(*element, ax::Title).as<QString>();
        },
        this,
        [this, title, check] {
            if (check != dockCheck_ || !*title)
                return;
            if (share_.handNames().contains(**title)
                || (share_.coveringNow() && share_.privateNames().contains(**title)))
                dockIsPrivate_ = true;
        });
}

// ---- Drag ----

void VeilInput::mouseDragged(const TapEvent& event)
{
    if (!press_)
        return;
    Press p = *press_;
    const Point q = event.location;
    if (p.lastTime != 0 && event.timestamp > p.lastTime) {
        const double dt = double(event.timestamp - p.lastTime) / 1e9;
        if (dt > kShortestStep) {
            const double dx = q.x - p.last.x, dy = q.y - p.last.y;
            p.speed += (std::hypot(dx, dy) / dt - p.speed) * kSpeedShare;
            p.velocity.x += (dx / dt - p.velocity.x) * kVelocityShare;
            p.velocity.y += (dy / dt - p.velocity.y) * kVelocityShare;
        }
    }
    p.last = q;
    p.lastTime = event.timestamp;
    if (p.kind == Press::Kind::resize)
        if (EventMonitors* monitors = platform_.eventMonitors)
            p.live = monitors->mouseLocation();

    // The extra margin grows at once and shrinks only after a while.
    const double t = engine_.now();
    const double target = std::min(kMostExtra, std::ceil(p.speed * kMarginPerSpeed / kExtraStep) * kExtraStep);
    if (target > p.extra || (target < p.extra && t - p.extraSince > kExtraShrinkDelay)) {
        p.extra = target;
        p.extraSince = t;
    }

    const std::optional<Rect> now = engine_.currentBounds(p.number);
    if (VeilEngine::Tracked* entry = engine_.trackedEntry(p.number); entry && now)
        entry->bounds = *now;
    refineKind(p, now);
    setPress(p);
    engine_.place(p.number);
}

void VeilInput::refineKind(Press& p, const std::optional<Rect>& now) const
{
    const bool moved = engine_.now() - p.startTime > kMovedAfter && distance(p.last, p.start) > kMovedBeyond;
    const bool shifted = now && now->origin() != p.bounds.origin();
    if (p.kind == Press::Kind::body) {
        if (shifted)
            p.kind = Press::Kind::move;
    } else if (p.kind == Press::Kind::bar) {
        if (shifted)
            p.kind = Press::Kind::move;
        else if (moved)
            p.kind = Press::Kind::none; // a control in the title bar
    }
}

// ---- Release ----

void VeilInput::mouseUp(const TapEvent& event)
{
    if (tap_->dockPressed) {
        tap_->dockPressed = false;
        if (dockIsPrivate_)
            engine_.floatAll(); // the private application's windows come forward
    }
    if (!press_)
        return;
    const Press p = *press_;
    setPress(std::nullopt);
    VeilEngine::Tracked* entry = engine_.trackedEntry(p.number);
    if (const auto now = engine_.currentBounds(p.number); now && entry) {
        entry->previous = entry->bounds;
        entry->bounds = *now;
    }
    releaseHolds(p, event);
    if (const auto predicted = p.predictedFrame()) {
        if (p.kind != Press::Kind::resize)
            engine_.hold(p.number, *predicted, kReleaseHold);
        else
            engine_.hold(p.number, grown(entry ? predicted->united(entry->bounds) : *predicted, kResizeReleaseMargin),
                         kResizeReleaseHold);
    }
    engine_.place(p.number);
}

void VeilInput::releaseHolds(const Press& p, const TapEvent& event)
{
    const auto s = engine_.screen(p.bounds);
    if (!s)
        return;
    const Point q = event.location;
    const TitleBar bar = titleBar();
    if (p.kind == Press::Kind::bar && q.y - p.bounds.minY() < bar.buttonHeight) {
        const double x = bar.buttonsOnRight ? p.bounds.maxX() - q.x : q.x - p.bounds.minX();
        if (x >= bar.minimise.from && x < bar.minimise.to)
            engine_.hold(p.number,
                         p.bounds.united(Rect(s->frame.minX(), s->frame.maxY() - bar.minimiseStrip, s->frame.width,
                                              bar.minimiseStrip)),
                         kButtonHold);
        else if (x >= bar.zoom.from && x < bar.zoom.to)
            engine_.hold(p.number, s->visible, kButtonHold);
    } else if (p.kind == Press::Kind::move) {
        if (event.flags & modflag::option)
            engine_.hold(p.number, s->visible, kButtonHold);
        else
            holdTile(p.number, q, s->frame, s->visible);
    }
}

void VeilInput::holdTile(std::uint32_t number, Point q, const Rect& f, const Rect& v)
{
    // Released at a screen's edge: the window may tile there.
    const double left = f.minX() + kTileEdge, right = f.maxX() - kTileEdge;
    const double top = v.minY() + kTileEdge, bottom = f.maxY() - kTileEdge;
    if (q.x <= left || q.x >= right) {
        const double x = q.x <= left ? v.minX() : v.midX();
        const double w = v.width / 2;
        const Rect tile = q.y <= top      ? Rect(x, v.minY(), w, v.height / 2)
                          : q.y >= bottom ? Rect(x, v.midY(), w, v.height / 2)
                                          : Rect(x, v.minY(), w, v.height);
        engine_.hold(number, tile, kButtonHold);
    } else if (q.y <= top || q.y >= bottom) {
        engine_.hold(number, v, kButtonHold);
    }
}

// ---- Keys ----

void VeilInput::keyDown(const TapEvent& event)
{
    switch (event.keyCode) {
    case kKeyM: minimiseHolds(); return;
    case kKeyGrave: engine_.floatAll(); return; // the application's next window comes forward
    case kKeyTab: switching_ = true; return;
    default: return;
    }
}

void VeilInput::minimiseHolds()
{
    Workspace* workspace = platform_.workspace;
    const auto front = workspace ? workspace->frontmostApplication() : std::nullopt;
    if (!front || !engine_.isPrivate(front->localizedName, front->pid))
        return;
    const double strip = titleBar().minimiseStrip;
    std::vector<std::pair<std::uint32_t, Rect>> windows;
    for (const auto& [number, entry] : engine_.tracked())
        if (entry.pid == front->pid)
            windows.emplace_back(number, entry.bounds);
    for (const auto& [number, bounds] : windows)
        if (const auto s = engine_.screen(bounds))
            engine_.hold(number, bounds.united(Rect(s->frame.minX(), s->frame.maxY() - strip, s->frame.width, strip)),
                         kButtonHold);
}

} // namespace tavrin
