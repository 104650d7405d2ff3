#include "snapping/arranging/autoarrange.h"

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/eventmonitors.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"
#include "windows/windowmanager.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace tavrin {

namespace {
// Times compare within this much, so that 0.6 s of 0.25 s ticks is 0.6 s.
constexpr double kTimeSlack = 1e-9;

bool contains(const AutoArrange::Numbers& sorted, std::uint32_t n)
{
    return std::binary_search(sorted.begin(), sorted.end(), n);
}

AutoArrange::Numbers sortedCopy(std::vector<std::uint32_t> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

// Within the tolerance (strictly) in x, y, width and height.
bool agrees(const Rect& a, const Rect& b)
{
    const double t = AutoArrange::kMatchTolerance;
    return std::abs(a.x - b.x) < t && std::abs(a.y - b.y) < t && std::abs(a.width - b.width) < t
           && std::abs(a.height - b.height) < t;
}

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
} // namespace

AutoArrange::AutoArrange(WindowManager& windows, const Platform& platform, QObject* parent)
    : QObject(parent),
      windows_(windows),
      platform_(platform),
      pausedUntil_(-std::numeric_limits<double>::infinity())
{}

AutoArrange::~AutoArrange() = default;

bool AutoArrange::isEnabled(const Display& display) const
{
    return platform_.defaults->boolValue(enabledKey(display), false);
}

double AutoArrange::now() const { return platform_.clock->monotonic(); }

void AutoArrange::start()
{
    if (timer_)
        return;
    timer_ = new Timer(*platform_.clock, this);
    connect(timer_, &Timer::timeout, this, &AutoArrange::tick);
    timer_->startRepeating(kTickInterval);
    settleTimer_ = new Timer(*platform_.clock, this);
    connect(settleTimer_, &Timer::timeout, this, &AutoArrange::tick);
}

std::optional<std::vector<std::uint32_t>> AutoArrange::arranged(std::uint32_t displayId) const
{
    const auto it = arranged_.constFind(displayId);
    if (it == arranged_.cend())
        return std::nullopt;
    return *it;
}

void AutoArrange::pause(double seconds) { pausedUntil_ = std::max(pausedUntil_, now() + seconds); }

// ---- The tick ----

void AutoArrange::tick()
{
    const std::vector<Display> displays = Display::all();
    std::vector<const Display*> on;
    for (const Display& d : displays)
        if (isEnabled(d))
            on.push_back(&d);
    if (on.empty() || !platform_.accessibility->isTrusted(false)) {
        // Seen afresh once trust returns or a display is switched on again.
        arranged_.clear();
        lastSeen_.clear();
        return;
    }

    const double t = now();
    const std::vector<WindowInfo> list = platform_.windowServer->onScreenWindows();
    for (const Display* display : on) {
        const auto entry = arranged_.constFind(display->id);
        const bool firstSight = entry == arranged_.cend();
        const Numbers known = firstSight ? Numbers{} : sortedCopy(*entry);
        const Numbers current = windowNumbers(*display, known, list, displays);
        const auto seen = lastSeen_.constFind(display->id);
        const bool changed = seen == lastSeen_.cend() || seen->set != current;
        if (changed)
            lastSeen_.insert(display->id, {current, t});
        // A new set is looked at again as soon as it has settled, not only
        // at the next tick after that.
        if (changed && !firstSight && current != known && settleTimer_)
            settleTimer_->start(kSettleSeconds);
        if (firstSight) {
            // What stands when the display is first seen stays where it is.
            arranged_.insert(display->id, current);
            continue;
        }
        if (current == known)
            continue;
        const bool settled = t - lastSeen_.value(display->id).since >= kSettleSeconds - kTimeSlack;
        const auto buttonDown = [this] {
            return platform_.eventMonitors && platform_.eventMonitors->pressedMouseButtons();
        };
        if (settled && t > pausedUntil_ && !buttonDown())
            arrange(*display, current);
    }
}

AutoArrange::Numbers AutoArrange::windowNumbers(const Display& display, const Numbers& known,
                                                const std::vector<WindowInfo>& list,
                                                const std::vector<Display>& displays) const
{
    const int self = platform_.workspace->currentPid();
    std::vector<std::uint32_t> out;
    for (const WindowInfo& w : list) {
        if (w.layer != 0 || w.ownerPid == self || !(w.alpha > 0))
            continue;
        const auto on = Display::containing(w.bounds, displays);
        if (!on || on->id != display.id)
            continue;
        // Small windows (palettes, dialogs) count only once they were taken.
        if (contains(known, w.number) || (w.bounds.width >= kMinWidth && w.bounds.height >= kMinHeight))
            out.push_back(w.number);
    }
    return sortedCopy(std::move(out));
}

AutoArrange::Numbers AutoArrange::windowNumbers(const Display& display, const Numbers& known) const
{
    return windowNumbers(display, known, platform_.windowServer->onScreenWindows(), Display::all());
}

AutoArrange::Matches AutoArrange::match(const Numbers& numbers, const std::vector<WindowInfo>& list) const
{
    // The listed bounds of each number, by owner, in list order.
    std::vector<int> owners;
    QHash<int, std::vector<std::pair<std::uint32_t, Rect>>> byOwner;
    for (const WindowInfo& w : list) {
        if (!contains(numbers, w.number))
            continue;
        auto& entries = byOwner[w.ownerPid];
        if (entries.empty())
            owners.push_back(w.ownerPid);
        entries.emplace_back(w.number, w.bounds);
    }
    Matches out;
    if (owners.empty())
        return out;
    const std::vector<RunningApp> apps = platform_.workspace->runningApplications();
    for (int pid : owners) {
        const auto app = std::find_if(apps.begin(), apps.end(), [pid](const RunningApp& a) { return a.pid == pid; });
        if (app == apps.end())
            continue;
        const std::vector<AXWindow> windows = AXWindow::windows(*app);
        std::vector<std::optional<Rect>> frames;
        frames.reserve(windows.size());
        for (const AXWindow& w : windows)
            frames.push_back(w.frame());
        for (const auto& [number, bounds] : byOwner.value(pid)) {
            for (std::size_t i = 0; i < windows.size(); ++i) {
                if (frames[i] && agrees(*frames[i], bounds)) {
                    out.emplace(number, windows[i]);
                    break;
                }
            }
        }
    }
    return out;
}

// ---- Arranging ----

void AutoArrange::arrange(const Display& display, const Numbers& set)
{
    AXActionScope scope;
    const std::vector<WindowInfo> list = platform_.windowServer->onScreenWindows();
    const std::vector<std::uint32_t> prior = arranged_.value(display.id);
    const Matches matched = match(set, list);

    // A new window often reaches Accessibility a little after the window
    // server: wait a few ticks for it before going on without it.
    if (matched.size() < set.size()) {
        int& waits = retries_[display.id];
        if (waits < kAccessibilityWaits) {
            ++waits;
            return;
        }
    }
    retries_.remove(display.id);

    const LayoutKind kind = windows_.usualLayout(display);
    std::vector<std::uint32_t> order = keptInPlace(display, kind, prior, set, matched);
    const auto focused = AXWindow::focused();
    for (std::uint32_t n : freshWindows(prior, set, matched, list)) {
        if (focused && matched.at(n).element == focused->element)
            order.insert(order.begin(), n);
        else
            order.push_back(n);
    }
    // Windows passed over (not standard, disk images, never shown by
    // Accessibility) count as seen, so that they do not set off another
    // arrangement, also when no window is left to arrange.
    std::vector<std::uint32_t> seen = order;
    for (std::uint32_t n : set)
        if (std::find(seen.begin(), seen.end(), n) == seen.end())
            seen.push_back(n);
    arranged_.insert(display.id, seen);
    lastSeen_.insert(display.id, {set, now()});
    if (order.empty())
        return;

    pause(kOwnPause);
    QStringList identities;
    for (std::uint32_t n : order)
        if (const auto it = matched.find(n); it != matched.end())
            identities << it->second.id();
    windows_.applyLayout(kind, false, display, std::nullopt, identities, true);
}

std::vector<std::uint32_t> AutoArrange::keptInPlace(const Display& display, LayoutKind kind,
                                                    const std::vector<std::uint32_t>& prior, const Numbers& set,
                                                    const Matches& matched) const
{
    std::vector<std::uint32_t> kept;
    for (std::uint32_t n : prior)
        if (contains(set, n) && matched.count(n))
            kept.push_back(n);

    // The slots the previous arrangement laid out, without the gap.
    const int count = std::max(1, int(prior.size()));
    std::vector<Point> centres;
    for (const UnitRect& unit : rects(kind, count, display.aspect())) {
        const Rect slot = unit.rect(display.area, 0);
        centres.push_back({slot.midX(), slot.midY()});
    }
    auto slotIndex = [&](std::uint32_t n) {
        if (centres.size() == 1)
            return 0;
        const auto frame = matched.at(n).frame();
        if (!frame || centres.empty())
            return INT_MAX;
        const Point centre{frame->midX(), frame->midY()};
        int best = 0;
        for (int i = 1; i < int(centres.size()); ++i)
            if (distance(centre, centres[std::size_t(i)]) < distance(centre, centres[std::size_t(best)]))
                best = i;
        return best;
    };
    std::vector<std::pair<int, std::uint32_t>> indexed;
    indexed.reserve(kept.size());
    for (std::uint32_t n : kept)
        indexed.emplace_back(slotIndex(n), n);
    // Windows the user swapped by hand keep their new places.
    std::stable_sort(indexed.begin(), indexed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < kept.size(); ++i)
        kept[i] = indexed[i].second;
    return kept;
}

std::vector<std::uint32_t> AutoArrange::freshWindows(const std::vector<std::uint32_t>& prior, const Numbers& set,
                                                     const Matches& matched, const std::vector<WindowInfo>& list) const
{
    std::vector<std::uint32_t> fresh;
    for (std::uint32_t n : set) {
        if (std::find(prior.begin(), prior.end(), n) != prior.end())
            continue;
        const auto it = matched.find(n);
        if (it == matched.end() || it->second.string(ax::Subrole) != ax::StandardWindow
            || isDiskImageWindow(it->second))
            continue;
        fresh.push_back(n);
    }
    auto screenOrder = [&](std::uint32_t n) {
        const auto at = std::find_if(list.begin(), list.end(), [n](const WindowInfo& w) { return w.number == n; });
        return at == list.end() ? list.size() : std::size_t(at - list.begin());
    };
    std::stable_sort(fresh.begin(), fresh.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return screenOrder(a) < screenOrder(b); });
    return fresh;
}

// ---- Switching and taking windows as arranged ----

void AutoArrange::setEnabled(bool on, const Display& display)
{
    platform_.defaults->setValue(enabledKey(display), on);
    arranged_.remove(display.id);
    lastSeen_.remove(display.id);
    if (!on)
        return;
    const Numbers current = windowNumbers(display, {});
    // The display counts as due from the start (an empty record, the set
    // settled long ago): should Accessibility not show every window yet, the
    // ticks that follow arrange it, rather than taking the windows as they
    // stand for arranged.
    arranged_.insert(display.id, {});
    lastSeen_.insert(display.id, {current, -std::numeric_limits<double>::infinity()});
    arrange(display, current);
}

void AutoArrange::arrangeNow(const Display& display, const std::vector<AXWindow>& windows)
{
    if (!isEnabled(display))
        return;
    AXActionScope scope;
    const std::vector<WindowInfo> list = platform_.windowServer->onScreenWindows();
    const Numbers known = sortedCopy(arranged_.value(display.id));
    const Numbers current = windowNumbers(display, known, list, Display::all());
    const Matches matched = match(current, list);

    std::vector<std::uint32_t> order;
    for (const AXWindow& window : windows) {
        for (std::uint32_t n : current) {
            const auto it = matched.find(n);
            if (it == matched.end() || !(it->second.element == window.element))
                continue;
            if (std::find(order.begin(), order.end(), n) == order.end())
                order.push_back(n);
            break;
        }
    }
    for (std::uint32_t n : current)
        if (std::find(order.begin(), order.end(), n) == order.end())
            order.push_back(n);
    arranged_.insert(display.id, order);
    lastSeen_.insert(display.id, {current, now()});
}

void AutoArrange::arrangeAll()
{
    for (const Display& display : Display::all())
        arrangeNow(display, {});
}

} // namespace tavrin
