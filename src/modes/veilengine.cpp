#include "modes/veilengine.h"

#include "modes/sharesafe.h"
#include "modes/veilpanel.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/screens.h"
#include "platform/timer.h"
#include "platform/veilsurfaces.h"
#include "platform/workspace.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tavrin {

namespace {
constexpr double kMargin = 6;
constexpr double kStepMargin = 24;
constexpr double kDragMargin = 8;
constexpr double kHoldMargin = 6;
constexpr double kLead = 0.07, kMostLead = 250;
constexpr double kLag = 0.04, kMostLag = 120;
constexpr double kResizeMargin = 36;
// A programmatic move belongs to a veiled window that stands this close to
// where the move starts.
constexpr double kMoveMatch = 4;

Rect grown(const Rect& r, double by) { return r.insetBy(-by, -by); }

// Outward to whole points.
Rect integral(const Rect& r)
{
    const double l = std::floor(r.minX()), t = std::floor(r.minY());
    return {l, t, std::ceil(r.maxX()) - l, std::ceil(r.maxY()) - t};
}

double clamped(double v, double most) { return std::clamp(v, -most, most); }

std::optional<int> frontmostPid(const Platform& platform)
{
    Workspace* workspace = platform.workspace;
    const auto front = workspace ? workspace->frontmostApplication() : std::nullopt;
    return front ? std::optional<int>(front->pid) : std::nullopt;
}
} // namespace

VeilEngine::VeilEngine(ShareSafe& share, const ShortcutStore& shortcuts, const Platform& platform, QObject* parent)
    : QObject(parent),
      share_(share),
      shortcuts_(shortcuts),
      platform_(platform),
      input_(*this, share, platform)
{
    Workspace* workspace = platform_.workspace;
    me_ = workspace ? workspace->currentPid() : 0;
    // A process id that comes back belongs to another application.
    if (workspace)
        connect(workspace, &Workspace::applicationTerminated, this,
                [this](const RunningApp& app) { nameCache_.remove(app.pid); });
    if (VeilSurfaces* surfaces = platform_.veilSurfaces)
        surfaces->onProblem([this] { tellProblem(); });
}

VeilEngine::~VeilEngine()
{
    delete ticker_.data();
    // The surfaces must not ask this engine what is covered any more.
    if (VeilSurfaces* surfaces = platform_.veilSurfaces) {
        surfaces->onProblem({});
        if (running_)
            surfaces->coverNewWindows({}, {});
    }
}

double VeilEngine::now() const { return platform_.clock->monotonic(); }

// ---- Starting and stopping ----

void VeilEngine::refresh()
{
    if (share_.active()) {
        if (running_)
            return;
        running_ = true;
        start();
        return;
    }
    const bool wanted = !share_.handPids().isEmpty();
    if (wanted == running_)
        return;
    running_ = wanted;
    if (wanted)
        start();
    else
        stop();
}

void VeilEngine::start()
{
    // Where the server tells of every change, a pass runs after each one
    // (at most one a refresh) instead of on every refresh.
    WindowServer* server = platform_.windowServer;
    if (server && server->announcesChanges())
        connect(server, &WindowServer::changed, this, &VeilEngine::changed, Qt::UniqueConnection);
    update();
    tellProblem();
}

void VeilEngine::tellProblem()
{
    VeilSurfaces* surfaces = platform_.veilSurfaces;
    if (running_ && surfaces && !surfaces->problem().isEmpty())
        share_.setNotice(surfaces->problem());
}

bool VeilEngine::announced() const
{
    WindowServer* server = platform_.windowServer;
    return server && server->announcesChanges();
}

void VeilEngine::changed()
{
    if (!running_ || (soon_ && soon_->isActive()))
        return;
    if (!soon_) {
        soon_ = new Timer(*platform_.clock, this);
        connect(soon_, &Timer::timeout, this, &VeilEngine::update);
    }
    soon_->start(1.0 / kFastestRate);
}

void VeilEngine::adjustTicker()
{
    // Followed by refreshes while a veil has to be kept over its window by
    // hand, or a missing window is being counted out; the user's drags and
    // keys matter only to veils kept over their windows by hand.
    bool byHand = !announced(), counting = false;
    for (const auto& [number, entry] : tracked_) {
        byHand = byHand || !entry.veil->surface().followsWindow();
        counting = counting || entry.missing > 0;
    }
    if (byHand != tapsWanted_) {
        tapsWanted_ = byHand;
        if (byHand) {
            input_.startTaps();
        } else {
            input_.stopTaps();
            input_.reset();
        }
    }
    const bool wanted = byHand || counting;
    if (wanted && !ticker_)
        startTicker();
    else if (!wanted && ticker_)
        delete ticker_.data();
}

void VeilEngine::startTicker()
{
    Screens* screens = platform_.screens;
    if (!screens || screens->screens().empty())
        return; // no screen, no refreshes: veils move with direct updates only
    const double rate = std::clamp(screens->refreshRate(), kSlowestRate, kFastestRate);
    delete ticker_.data();
    ticker_ = new Timer(*platform_.clock, this);
    connect(ticker_, &Timer::timeout, this, &VeilEngine::update);
    ticker_->startRepeating(1.0 / rate);
}

void VeilEngine::stop()
{
    delete ticker_.data();
    delete soon_.data();
    tapsWanted_ = false;
    if (WindowServer* server = platform_.windowServer)
        disconnect(server, &WindowServer::changed, this, &VeilEngine::changed);
    // Nothing is covered any more: covers go with their surfaces.
    if (VeilSurfaces* surfaces = platform_.veilSurfaces)
        surfaces->coverNewWindows({}, {});
    input_.stopTaps();
    for (auto& [number, entry] : tracked_)
        entry.veil->surface().orderOut();
    tracked_.clear();
    input_.reset();
    holds_.clear();
    floatUntil_.reset();
}

// ---- One pass ----

void VeilEngine::update()
{
    ++updates_;
    veiledThisPass_.clear();
    inPass_ = true;
    WindowServer* server = platform_.windowServer;
    lastList_ = server ? server->onScreenWindows() : std::vector<WindowInfo>();
    // A list that may lack windows counts none of them missing.
    const bool complete = !server || server->listComplete();
    const double t = now();
    std::set<std::uint32_t> seen;
    VeilSurfaces* surfaces = platform_.veilSurfaces;
    if (surfaces)
        surfaces->coverNewWindows([this](const QString& name, int pid) { return pid != me_ && isPrivate(name, pid); },
                                  VeilPanel::fill());
    for (const WindowInfo& w : lastList_) {
        if (!surfaces || !isCovered(w))
            continue;
        seen.insert(w.number);
        auto it = tracked_.find(w.number);
        if (it == tracked_.end()) {
            const QString name = appName(w.ownerPid);
            Tracked entry;
            entry.number = w.number;
            entry.pid = w.ownerPid;
            entry.veil = std::make_unique<VeilPanel>(name.isEmpty() ? w.ownerName : name, share_, shortcuts_, *surfaces,
                                                     w.number);
            entry.bounds = w.bounds;
            it = tracked_.emplace(w.number, std::move(entry)).first;
        }
        it->second.previous = it->second.bounds;
        it->second.bounds = w.bounds;
        it->second.missing = 0;
    }
    for (auto it = tracked_.begin(); it != tracked_.end();) {
        if (seen.count(it->first) || !complete || ++it->second.missing < kMissingUpdates) {
            ++it;
            continue;
        }
        it->second.veil->surface().orderOut();
        holds_.erase(it->first);
        it = tracked_.erase(it);
    }
    endFloats(t);
    std::erase_if(holds_, [t](const auto& h) { return !(h.second.until > t); });
    input_.decay();
    for (const auto& [number, entry] : tracked_) {
        place(number);
        order(number, lastList_);
    }
    inPass_ = false;
    if (running_)
        adjustTicker();
}

void VeilEngine::endFloats(double t)
{
    if (!floatUntil_)
        return;
    bool frontChanged;
    Workspace* workspace = platform_.workspace;
    const auto front = workspace ? workspace->frontmostApplication() : std::nullopt;
    if (!front)
        frontChanged = floatFront_.has_value();
    else if (floatFront_ && *floatFront_ == front->pid)
        frontChanged = false;
    else
        frontChanged = !isPrivate(front->localizedName, front->pid);
    if (t >= *floatUntil_ || (frontChanged && !input_.switching()))
        floatUntil_.reset();
}

// ---- Covering ----

bool VeilEngine::isCovered(const WindowInfo& w)
{
    if (w.layer != 0 || w.ownerPid == me_ || !(w.alpha > 0) || w.bounds.width < kMinimumSide
        || w.bounds.height < kMinimumSide)
        return false;
    return ofVeiledApp(w);
}

bool VeilEngine::isPrivate(const QString& name, int pid)
{
    if (share_.handPids().contains(pid))
        return true;
    if (!share_.coveringNow())
        return false;
    const QSet<QString>& names = share_.privateNames();
    return names.contains(name) || names.contains(appName(pid));
}

QString VeilEngine::appName(int pid)
{
    if (const auto it = nameCache_.constFind(pid); it != nameCache_.cend())
        return *it;
    Workspace* workspace = platform_.workspace;
    const auto app = workspace ? workspace->application(pid) : std::nullopt;
    QString name = app ? app->localizedName : QString();
    // A process not known yet (or without a name yet) is asked again next
    // time: kept empty, its windows would never be covered by its name.
    if (!name.isEmpty())
        nameCache_.insert(pid, name);
    return name;
}

QStringList VeilEngine::appNames(const QSet<int>& pids)
{
    QStringList names;
    for (int pid : pids)
        names << appName(pid);
    return names;
}

// ---- Placing and stacking ----

VeilEngine::Tracked* VeilEngine::trackedEntry(std::uint32_t number)
{
    const auto it = tracked_.find(number);
    return it == tracked_.end() ? nullptr : &it->second;
}

Rect VeilEngine::frameFor(const Tracked& t, double at) const
{
    const auto& press = input_.press();
    const Press* p = press && press->number == t.number ? &*press : nullptr;
    Rect r;
    if (p && p->follows()) {
        // Dragged: the bounds moved with the pointer, led and trailed by its velocity.
        const Rect moved = p->bounds.translated(p->last.x - p->start.x, p->last.y - p->start.y);
        const double leadX = clamped(p->velocity.x * kLead, kMostLead),
                     leadY = clamped(p->velocity.y * kLead, kMostLead);
        const double lagX = clamped(p->velocity.x * kLag, kMostLag), lagY = clamped(p->velocity.y * kLag, kMostLag);
        // Until the pointer's speed is known (the press, the first drag
        // event) the window manager may move the window a step before the
        // veil follows: the margin then covers a whole step.
        const double margin = p->speed > 0 ? kDragMargin : kStepMargin;
        r = grown(moved.united(moved.translated(leadX, leadY)).united(moved.translated(-lagX, -lagY)).united(t.bounds),
                  margin);
    } else {
        r = t.bounds;
        double margin = kMargin;
        if (const auto predicted = p ? p->predictedFrame() : std::nullopt) {
            r = t.bounds.united(*predicted);
            margin = p->extra + kResizeMargin;
        }
        if (t.previous && *t.previous != t.bounds) {
            // It stepped: cover where it was, and as far again ahead.
            const double dx = t.bounds.minX() - t.previous->minX(), dy = t.bounds.minY() - t.previous->minY();
            r = r.united(*t.previous).united(t.bounds.translated(2 * dx, 2 * dy));
            margin = std::max(margin, kStepMargin);
        }
        r = grown(r, margin);
    }
    if (const auto h = holds_.find(t.number); h != holds_.end() && h->second.until > at)
        r = r.united(grown(h->second.rect, kHoldMargin));
    return integral(r);
}

void VeilEngine::place(std::uint32_t number)
{
    Tracked* t = trackedEntry(number);
    if (!t)
        return;
    const Rect r = frameFor(*t, now());
    VeilSurface& surface = t->veil->surface();
    const Rect current = surface.frame();
    if (current.size() == r.size()) {
        if (current.origin() != r.origin())
            surface.setOrigin(r.origin());
    } else {
        surface.setFrame(r);
    }
}

void VeilEngine::raise(Tracked& entry)
{
    VeilSurface& surface = entry.veil->surface();
    surface.setLevel(VeilSurface::kFloatingLevel);
    surface.orderFront();
}

void VeilEngine::order(std::uint32_t number, const std::vector<WindowInfo>& list)
{
    Tracked* t = trackedEntry(number);
    if (!t)
        return;
    VeilSurface& veil = t->veil->surface();
    const auto& press = input_.press();
    if (floatUntil_ || (press && press->number == number) || isOnTop(number, list)) {
        if (veil.level() != VeilSurface::kFloatingLevel)
            veil.setLevel(VeilSurface::kFloatingLevel);
        if (!veil.isVisible())
            veil.orderFront();
        return;
    }
    if (veil.level() != VeilSurface::kNormalLevel) {
        veil.setLevel(VeilSurface::kNormalLevel);
        veil.orderAbove(number);
    } else if (!veil.isVisible() || !isAbove(veil.number(), number, list)) {
        veil.orderAbove(number);
    }
}

bool VeilEngine::isAbove(std::uint32_t upper, std::uint32_t lower, const std::vector<WindowInfo>& list)
{
    std::optional<std::size_t> u, l;
    for (std::size_t i = 0; i < list.size() && !(u && l); ++i) {
        if (list[i].number == upper)
            u = i;
        else if (list[i].number == lower)
            l = i;
    }
    return u && l && *u < *l;
}

bool VeilEngine::isOnTop(std::uint32_t number, const std::vector<WindowInfo>& list)
{
    const auto self =
        std::find_if(list.begin(), list.end(), [number](const WindowInfo& w) { return w.number == number; });
    if (self == list.end())
        return false;
    for (auto it = list.begin(); it != self; ++it) {
        // This process's regular windows (Settings) stand over a window as
        // any other application's do; only the veils themselves do not.
        if (it->layer != 0 || !(it->alpha > 0) || (it->ownerPid == me_ && isVeil(it->number)) || ofVeiledApp(*it))
            continue;
        if (it->bounds.intersects(self->bounds))
            return false;
    }
    return true;
}

bool VeilEngine::isVeil(std::uint32_t number) const
{
    return std::any_of(tracked_.begin(), tracked_.end(),
                       [number](const auto& t) { return t.second.veil->surface().number() == number; });
}

bool VeilEngine::ofVeiledApp(const WindowInfo& w)
{
    const auto known = inPass_ ? veiledThisPass_.constFind(w.ownerPid) : veiledThisPass_.cend();
    if (known != veiledThisPass_.cend() && known->owner == w.ownerName)
        return known->veiled;
    const bool veiled =
        share_.handPids().contains(w.ownerPid)
        || (share_.coveringNow()
            && (share_.privateNames().contains(w.ownerName) || share_.privateNames().contains(appName(w.ownerPid))));
    if (inPass_)
        veiledThisPass_.insert(w.ownerPid, {w.ownerName, veiled});
    return veiled;
}

// ---- Holds and floats ----

std::optional<VeilEngine::Hold> VeilEngine::holdOf(std::uint32_t number) const
{
    const auto it = holds_.find(number);
    if (it == holds_.end() || !(it->second.until > now()))
        return std::nullopt;
    return it->second;
}

void VeilEngine::hold(std::uint32_t number, const Rect& rect, double seconds)
{
    const double t = now();
    Hold next{rect, t + seconds};
    if (const auto it = holds_.find(number); it != holds_.end() && it->second.until > t)
        next = {it->second.rect.united(rect), std::max(it->second.until, next.until)};
    holds_[number] = next;
    place(number);
}

void VeilEngine::floatFor(double seconds)
{
    floatUntil_ = now() + seconds;
    floatFront_ = frontmostPid(platform_);
    for (auto& [number, entry] : tracked_)
        raise(entry);
}

void VeilEngine::floatAll()
{
    if (!revealed_.empty())
        restoreDesktop();
    floatFor(kFloatSeconds);
}

void VeilEngine::willMove(int pid, const Rect& from, const Rect& to)
{
    if (!share_.active())
        return;
    for (const auto& [number, entry] : tracked_)
        if (entry.pid == pid && std::abs(entry.bounds.minX() - from.minX()) < kMoveMatch
            && std::abs(entry.bounds.minY() - from.minY()) < kMoveMatch)
            hold(number, from.united(to), kMoveHold);
}

// ---- Desktop reveal ----

bool VeilEngine::clickShowsDesktop() const
{
    const Defaults* defaults = platform_.defaults;
    const auto stored = defaults ? defaults->foreignValue(QStringLiteral("com.apple.WindowManager"),
                                                          QStringLiteral("EnableStandardClickToShowDesktop"))
                                 : std::nullopt;
    return stored && stored->typeId() == QMetaType::Bool ? stored->toBool() : true;
}

void VeilEngine::revealDesktop()
{
    if (!clickShowsDesktop())
        return;
    if (!revealed_.empty()) {
        restoreDesktop();
        return;
    }
    for (const auto& [number, entry] : tracked_) {
        const Rect& b = entry.bounds;
        const auto s = screen(b);
        if (!s)
            continue;
        revealed_[number] = b;
        // Out by the nearer side edge (the middle counts as right), up to the top.
        const double dx = b.midX() >= s->frame.midX() ? s->frame.maxX() - b.minX() : s->frame.minX() - b.maxX();
        const double dy = s->visible.minY() - b.minY();
        hold(number, b.united(b.translated(dx, dy)), kRevealHold);
    }
}

void VeilEngine::restoreDesktop()
{
    for (const auto& [number, rect] : revealed_)
        if (const Tracked* t = trackedEntry(number))
            hold(number, rect.united(t->bounds), kRevealHold);
    revealed_.clear();
    floatFor(kRevealHold);
}

std::optional<VeilEngine::ScreenArea> VeilEngine::screen(const Rect& rect) const
{
    Screens* screens = platform_.screens;
    const std::vector<ScreenInfo> all = screens ? screens->screens() : std::vector<ScreenInfo>();
    if (all.empty())
        return std::nullopt;
    const Point centre{rect.midX(), rect.midY()};
    for (const ScreenInfo& s : all)
        if (grown(s.frame, 1).contains(centre))
            return ScreenArea{s.frame, s.visibleFrame};
    return ScreenArea{all.front().frame, all.front().visibleFrame};
}

std::optional<Rect> VeilEngine::currentBounds(std::uint32_t number) const
{
    WindowServer* server = platform_.windowServer;
    return server ? server->windowBounds(number) : std::nullopt;
}

} // namespace tavrin
