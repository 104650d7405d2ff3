#include "platform/sim/simdesktop.h"

#include "platform/clock.h"
#include "platform/eventmonitors.h"
#include "platform/sim/simaccessibility.h"
#include "platform/sim/simappearance.h"
#include "platform/sim/simautomation.h"
#include "platform/sim/simcalendarstore.h"
#include "platform/sim/simeventmonitors.h"
#include "platform/sim/simhotkeys.h"
#include "platform/sim/siminputtaps.h"
#include "platform/sim/simlanguagemodel.h"
#include "platform/sim/simmicrophone.h"
#include "platform/sim/simprocesses.h"
#include "platform/sim/simscreens.h"
#include "platform/sim/simtilingdefaults.h"
#include "platform/sim/simveilsurfaces.h"
#include "platform/sim/simwindowserver.h"
#include "platform/sim/simworkspace.h"

#include <algorithm>
#include <cmath>

namespace tavrin {

SimDesktop::SimDesktop(Clock& clock, QObject* parent)
    : QObject(parent),
      clock_(clock),
      accessibility_(std::make_unique<SimAccessibility>(*this)),
      windowServer_(std::make_unique<SimWindowServer>(*this)),
      screens_(std::make_unique<SimScreens>(*this)),
      workspace_(std::make_unique<SimWorkspace>(*this)),
      hotKeys_(std::make_unique<SimHotKeys>(*this)),
      eventMonitors_(std::make_unique<SimEventMonitors>(*this)),
      appearance_(std::make_unique<SimAppearance>()),
      languageModel_(std::make_unique<SimLanguageModel>(clock)),
      automation_(std::make_unique<SimAutomation>(*this)),
      processes_(std::make_unique<SimProcesses>(*this)),
      microphone_(std::make_unique<SimMicrophone>(*this)),
      calendarStore_(std::make_unique<SimCalendarStore>(*this)),
      inputTaps_(std::make_unique<SimInputTaps>(*this)),
      veilSurfaces_(std::make_unique<SimVeilSurfaces>(*this))
{}

SimDesktop::~SimDesktop() { workspace_->cancelPending(); }

Platform SimDesktop::startServices(const Platform& common)
{
    Platform p = common;
    if (common.defaults && common.defaults != wrappedDefaults_) {
        defaults_ = std::make_unique<SimTilingDefaults>(*common.defaults, *this);
        wrappedDefaults_ = common.defaults;
    }
    if (common.defaults)
        p.defaults = defaults_.get();
    p.accessibility = accessibility_.get();
    p.windowServer = windowServer_.get();
    p.screens = screens_.get();
    p.workspace = workspace_.get();
    p.hotKeys = hotKeys_.get();
    p.eventMonitors = eventMonitors_.get();
    p.clock = &clock_;
    p.appearance = appearance_.get();
    p.languageModel = languageModel_.get();
    p.automation = automation_.get();
    p.processes = processes_.get();
    p.microphone = microphone_.get();
    p.calendars = calendarStore_.get();
    p.inputTaps = inputTaps_.get();
    p.veilSurfaces = veilSurfaces_.get();
    return p;
}

void SimDesktop::load(SimState state)
{
    auto guard = lock();
    workspace_->cancelPending();

    std::uint32_t nextDisplay = 1;
    for (const SimDisplay& d : state.displays)
        nextDisplay = std::max(nextDisplay, d.number + 1);
    for (SimDisplay& d : state.displays) {
        if (d.number == 0)
            d.number = nextDisplay++;
    }
    for (const SimApp& a : state.apps)
        nextPid_ = std::max(nextPid_, a.pid + 1);
    for (const SimWindow& w : state.windows)
        nextNumber_ = std::max(nextNumber_, w.number + 1);
    for (const SimSurface& s : surfaces_.all())
        nextNumber_ = std::max(nextNumber_, s.number + 1);
    for (SimWindow& w : state.windows) {
        w.token = nextToken_++;
        w.closeButton = nextToken_++;
        if (w.number == 0)
            w.number = nextNumber_++;
    }
    if (!std::any_of(state.apps.begin(), state.apps.end(),
                     [&](const SimApp& a) { return a.pid == state.frontmostPid; }))
        state.frontmostPid = 0;

    const bool trustChanged = state.trusted != state_.trusted;
    state_ = std::move(state);
    dragging_ = 0;
    mouseButtons_ = 0;
    if (trustChanged)
        emit accessibility_->trustChanged(state_.trusted);
    emit screens_->screensChanged();
    emit calendarStore_->changed();
    emit changed();
}

// ---- Reading ----

Rect SimDesktop::visibleFrame(std::size_t displayIndex) const
{
    auto guard = lock();
    if (displayIndex >= state_.displays.size())
        return {};
    const SimDisplay& d = state_.displays[displayIndex];
    Rect r = d.frame;
    if (displayIndex == 0) {
        r.y += kMenuBarHeight;
        r.height -= kMenuBarHeight;
    }
    r.height -= std::max(d.dockHeight, 0.0);
    r.height = std::max(r.height, 0.0);
    return r;
}

std::optional<Rect> SimDesktop::dockFrame(std::size_t displayIndex) const
{
    auto guard = lock();
    if (displayIndex >= state_.displays.size() || !(state_.displays[displayIndex].dockHeight > 0))
        return std::nullopt;
    const SimDisplay& d = state_.displays[displayIndex];
    return Rect(d.frame.x + d.frame.width / 4, d.frame.maxY() - d.dockHeight, d.frame.width / 2, d.dockHeight);
}

QStringList SimDesktop::dockItems() const
{
    auto guard = lock();
    QStringList names;
    for (const SimApp& a : state_.apps)
        if (a.policy == ActivationPolicy::regular && !a.isSelf)
            names << a.name;
    return names;
}

QString SimDesktop::dockItemAt(Point point) const
{
    auto guard = lock();
    const QStringList items = dockItems();
    for (std::size_t i = 0; i < state_.displays.size(); ++i) {
        const auto dock = dockFrame(i);
        if (!dock || !dock->contains(point) || items.isEmpty())
            continue;
        const auto slot = qsizetype((point.x - dock->x) / (dock->width / double(items.size())));
        return items.value(std::min(slot, items.size() - 1));
    }
    return {};
}

std::vector<ScreenInfo> SimDesktop::screens() const
{
    auto guard = lock();
    std::vector<ScreenInfo> out;
    out.reserve(state_.displays.size());
    for (std::size_t i = 0; i < state_.displays.size(); ++i) {
        const SimDisplay& d = state_.displays[i];
        out.push_back(ScreenInfo{d.frame, visibleFrame(i), d.name, d.number, int(std::lround(d.frame.width * d.scale)),
                                 int(std::lround(d.frame.height * d.scale)), d.serial});
    }
    return out;
}

const SimApp* SimDesktop::app(int pid) const
{
    auto guard = lock();
    for (const SimApp& a : state_.apps) {
        if (a.pid == pid)
            return &a;
    }
    return nullptr;
}

const SimApp* SimDesktop::appNamed(const QString& name) const
{
    auto guard = lock();
    for (const SimApp& a : state_.apps) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

const SimApp* SimDesktop::appAt(const QString& location) const
{
    auto guard = lock();
    if (location.isEmpty())
        return nullptr;
    for (const SimApp& a : state_.apps) {
        if (a.location == location)
            return &a;
    }
    return nullptr;
}

int SimDesktop::selfPid() const
{
    auto guard = lock();
    for (const SimApp& a : state_.apps) {
        if (a.isSelf)
            return a.pid;
    }
    return kDetachedSelfPid;
}

const SimWindow* SimDesktop::window(std::uint64_t token) const
{
    auto guard = lock();
    if (token == 0)
        return nullptr;
    for (const SimWindow& w : state_.windows) {
        if (w.token == token)
            return &w;
    }
    return nullptr;
}

const SimWindow* SimDesktop::windowByNumber(std::uint32_t number) const
{
    auto guard = lock();
    for (const SimWindow& w : state_.windows) {
        if (w.number == number)
            return &w;
    }
    return nullptr;
}

const SimWindow* SimDesktop::windowTitled(const QString& title) const
{
    auto guard = lock();
    for (const SimWindow& w : state_.windows) {
        if (w.title == title)
            return &w;
    }
    return nullptr;
}

const SimWindow* SimDesktop::windowOfCloseButton(std::uint64_t token) const
{
    auto guard = lock();
    if (token == 0)
        return nullptr;
    for (const SimWindow& w : state_.windows) {
        if (w.closeButton == token)
            return &w;
    }
    return nullptr;
}

std::vector<const SimWindow*> SimDesktop::windowsOf(int pid) const
{
    auto guard = lock();
    std::vector<const SimWindow*> out;
    for (const SimWindow& w : state_.windows) {
        if (w.pid == pid)
            out.push_back(&w);
    }
    return out;
}

const SimWindow* SimDesktop::focusedWindow(int pid) const
{
    auto guard = lock();
    if (pid == 0)
        return nullptr;
    for (const SimWindow& w : state_.windows) {
        if (w.pid == pid && !w.minimised)
            return &w;
    }
    return nullptr;
}

bool SimDesktop::isOnScreen(const SimWindow& window) const
{
    auto guard = lock();
    if (window.minimised || window.fullScreen)
        return false;
    const SimApp* owner = app(window.pid);
    return owner && !owner->hidden;
}

std::vector<const SimWindow*> SimDesktop::onScreenWindows() const
{
    auto guard = lock();
    std::vector<const SimWindow*> out;
    for (const SimWindow& w : state_.windows) {
        if (isOnScreen(w))
            out.push_back(&w);
    }
    return out;
}

const SimWindow* SimDesktop::windowAt(Point point, int pid) const
{
    auto guard = lock();
    for (const SimWindow& w : state_.windows) {
        if ((pid == 0 || w.pid == pid) && w.frame.contains(point) && isOnScreen(w))
            return &w;
    }
    return nullptr;
}

const SimSurface* SimDesktop::surface(std::uint32_t number) const
{
    auto guard = lock();
    for (const SimSurface& s : surfaces_.all())
        if (s.number == number)
            return &s;
    return nullptr;
}

std::vector<SimStackEntry> SimDesktop::stack() const
{
    auto guard = lock();
    std::vector<SimStackEntry> out = surfaces_.merged(state_.windows);
    std::erase_if(out, [this](const SimStackEntry& e) { return e.window && !isOnScreen(*e.window); });
    return out;
}

const SimInstalledApp* SimDesktop::installedApp(const QString& location) const
{
    auto guard = lock();
    if (location.isEmpty())
        return nullptr;
    for (const SimInstalledApp& a : state_.installed) {
        if (a.location == location)
            return &a;
    }
    return nullptr;
}

QString SimDesktop::locationOf(const QString& name) const
{
    auto guard = lock();
    for (const SimApp& a : state_.apps) {
        if (a.name == name && !a.location.isEmpty())
            return a.location;
    }
    for (const SimInstalledApp& a : state_.installed) {
        if (a.name == name)
            return a.location;
    }
    return {};
}

double SimDesktop::messagingTimeout(int pid) const
{
    auto guard = lock();
    const SimApp* a = app(pid);
    return a && a->messagingTimeout > 0 ? a->messagingTimeout : defaultTimeout_;
}

// ---- Driving ----

SimWindow* SimDesktop::mutableWindow(std::uint64_t token) { return const_cast<SimWindow*>(window(token)); }

SimApp* SimDesktop::mutableApp(int pid) { return const_cast<SimApp*>(app(pid)); }

void SimDesktop::setHasSettings(bool has)
{
    auto guard = lock();
    hasSettings_ = has;
}

void SimDesktop::setSettingsLacking(QStringList pages)
{
    auto guard = lock();
    settingsLacking_ = std::move(pages);
}

bool SimDesktop::settingsLack(const QString& page) const
{
    auto guard = lock();
    return settingsLacking_.contains(page);
}

void SimDesktop::setSettingsTab(const QString& page, const QString& program, const QString& tab)
{
    auto guard = lock();
    settingsTabs_.insert(page, {program, tab});
}

std::optional<std::pair<QString, QString>> SimDesktop::settingsTab(const QString& page) const
{
    auto guard = lock();
    const auto it = settingsTabs_.constFind(page);
    return it == settingsTabs_.cend() ? std::nullopt : std::optional(*it);
}

bool SimDesktop::openSettings(const QString& page)
{
    auto guard = lock();
    if (!hasSettings_)
        return false;
    settingsOpened_ << page;
    emit changed();
    return true;
}

std::optional<bool> SimDesktop::edgeTiling() const
{
    auto guard = lock();
    return edgeTiling_;
}

void SimDesktop::setEdgeTiling(bool on)
{
    auto guard = lock();
    if (edgeTiling_ == on)
        return;
    edgeTiling_ = on;
    emit changed();
}

void SimDesktop::setTrusted(bool trusted)
{
    auto guard = lock();
    if (state_.trusted == trusted)
        return;
    state_.trusted = trusted;
    emit accessibility_->trustChanged(trusted);
    emit changed();
}

void SimDesktop::setDiskImages(QStringList names)
{
    auto guard = lock();
    state_.diskImages = std::move(names);
}

QStringList SimDesktop::diskImages() const
{
    auto guard = lock();
    return state_.diskImages;
}

void SimDesktop::setMicrophoneInUse(bool inUse)
{
    auto guard = lock();
    if (state_.microphoneInUse == inUse)
        return;
    state_.microphoneInUse = inUse;
    emit changed();
}

CalendarAccess SimDesktop::calendarAccess() const
{
    auto guard = lock();
    return state_.calendarAccess;
}

void SimDesktop::setCalendarAccess(CalendarAccess access)
{
    auto guard = lock();
    if (state_.calendarAccess == access)
        return;
    state_.calendarAccess = access;
    emit calendarStore_->changed();
    emit changed();
}

void SimDesktop::setCalendars(std::vector<SimCalendar> calendars)
{
    auto guard = lock();
    state_.calendars = std::move(calendars);
    emit calendarStore_->changed();
    emit changed();
}

void SimDesktop::setShortcuts(QStringList names)
{
    auto guard = lock();
    state_.shortcuts = std::move(names);
    emit changed();
}

void SimDesktop::setDisplays(std::vector<SimDisplay> displays)
{
    auto guard = lock();
    std::uint32_t next = 1;
    for (const SimDisplay& d : displays)
        next = std::max(next, d.number + 1);
    for (SimDisplay& d : displays) {
        if (d.number == 0)
            d.number = next++;
    }
    state_.displays = std::move(displays);
    emit screens_->screensChanged();
    emit changed();
}

std::uint64_t SimDesktop::place(SimWindow window, std::size_t index)
{
    window.token = nextToken_++;
    window.closeButton = nextToken_++;
    if (window.number == 0 || windowByNumber(window.number))
        window.number = nextNumber_++;
    else
        nextNumber_ = std::max(nextNumber_, window.number + 1);
    const std::uint64_t token = window.token;
    index = std::min(index, state_.windows.size());
    state_.windows.insert(state_.windows.begin() + std::ptrdiff_t(index), std::move(window));
    return token;
}

int SimDesktop::addApp(SimApp app, std::vector<SimWindow> windows)
{
    auto guard = lock();
    if (app.pid == 0)
        app.pid = nextPid_;
    if (this->app(app.pid))
        return 0;
    nextPid_ = std::max(nextPid_, app.pid + 1);
    const int pid = app.pid;
    const RunningApp announced = app.snapshot(false);
    state_.apps.push_back(std::move(app));
    std::size_t index = 0;
    for (SimWindow& w : windows) {
        w.pid = pid;
        place(std::move(w), index++);
    }
    post([this, announced] { emit workspace_->applicationLaunched(announced); });
    emit changed();
    return pid;
}

bool SimDesktop::removeApp(int pid)
{
    auto guard = lock();
    const SimApp* gone = app(pid);
    if (!gone)
        return false;
    const RunningApp announced = gone->snapshot(false);

    // Remembered as installed, with its windows for the next launch to restore.
    if (!gone->location.isEmpty()) {
        SimInstalledApp remembered{gone->name, gone->bundleId, gone->location, gone->policy, {}};
        for (const SimWindow* w : windowsOf(pid)) {
            SimWindow copy = *w;
            copy.token = copy.closeButton = 0;
            copy.number = 0;
            copy.pid = 0;
            remembered.windows.push_back(std::move(copy));
        }
        auto it = std::find_if(state_.installed.begin(), state_.installed.end(),
                               [&](const SimInstalledApp& a) { return a.location == remembered.location; });
        if (it != state_.installed.end())
            *it = std::move(remembered);
        else
            state_.installed.push_back(std::move(remembered));
    }

    forget(pid);
    std::vector<std::uint64_t> closing;
    for (const SimWindow* w : windowsOf(pid))
        closing.push_back(w->token);
    leaving(std::move(closing));
    std::erase_if(state_.windows, [pid](const SimWindow& w) { return w.pid == pid; });
    std::erase_if(state_.apps, [pid](const SimApp& a) { return a.pid == pid; });
    post([this, announced] { emit workspace_->applicationTerminated(announced); });
    if (state_.frontmostPid == pid) {
        state_.frontmostPid = 0;
        makeFrontmost(nextFrontmost(pid));
    }
    emit changed();
    return true;
}

void SimDesktop::forget(int pid)
{
    if (const SimWindow* held = window(dragging_); held && held->pid == pid)
        dragging_ = 0;
}

void SimDesktop::addInstalledApp(SimInstalledApp app)
{
    auto guard = lock();
    auto it = std::find_if(state_.installed.begin(), state_.installed.end(),
                           [&](const SimInstalledApp& a) { return a.location == app.location; });
    if (it != state_.installed.end())
        *it = std::move(app);
    else
        state_.installed.push_back(std::move(app));
    emit changed();
}

void SimDesktop::setLaunchDelay(double seconds)
{
    auto guard = lock();
    state_.launchDelay = std::max(seconds, 0.0);
    emit changed();
}

std::uint64_t SimDesktop::addWindow(SimWindow window)
{
    auto guard = lock();
    if (!app(window.pid))
        return 0;
    const std::uint64_t token = place(std::move(window), 0);
    emit changed();
    return token;
}

bool SimDesktop::removeWindow(std::uint64_t token)
{
    auto guard = lock();
    const auto before = state_.windows.size();
    leaving({token});
    std::erase_if(state_.windows, [token](const SimWindow& w) { return w.token == token; });
    if (state_.windows.size() == before)
        return false;
    if (dragging_ == token)
        dragging_ = 0;
    emit changed();
    return true;
}

bool SimDesktop::setFrame(std::uint64_t token, Rect frame)
{
    auto guard = lock();
    SimWindow* w = mutableWindow(token);
    if (!w)
        return false;
    if (w->frame != frame) {
        w->frame = frame;
        emit changed();
    }
    return true;
}

bool SimDesktop::setTitle(std::uint64_t token, const QString& title)
{
    auto guard = lock();
    SimWindow* w = mutableWindow(token);
    if (!w)
        return false;
    w->title = title;
    emit changed();
    return true;
}

bool SimDesktop::setActiveTab(std::uint64_t token, int index)
{
    auto guard = lock();
    SimWindow* w = mutableWindow(token);
    if (!w || index < 0 || index >= int(w->tabs.size()))
        return false;
    w->activeTab = index;
    w->title = w->tabs[std::size_t(index)].title;
    emit changed();
    return true;
}

bool SimDesktop::setAccessible(std::uint64_t token, bool accessible)
{
    auto guard = lock();
    SimWindow* w = mutableWindow(token);
    if (!w)
        return false;
    w->accessible = accessible;
    emit changed();
    return true;
}

void SimDesktop::setAutomation(int pid, SimAutomationAccess access)
{
    auto guard = lock();
    if (SimApp* a = mutableApp(pid))
        a->automation = access;
}

void SimDesktop::setScriptDelay(int pid, double seconds)
{
    auto guard = lock();
    if (SimApp* a = mutableApp(pid))
        a->scriptDelay = std::max(seconds, 0.0);
}

void SimDesktop::setScriptsFail(int pid, bool fail)
{
    auto guard = lock();
    if (SimApp* a = mutableApp(pid))
        a->scriptsFail = fail;
}

bool SimDesktop::setMinimised(std::uint64_t token, bool minimised)
{
    auto guard = lock();
    auto it = std::find_if(state_.windows.begin(), state_.windows.end(),
                           [token](const SimWindow& w) { return w.token == token; });
    if (it == state_.windows.end())
        return false;
    if (it->minimised == minimised)
        return true;
    it->minimised = minimised;
    leaving({token});
    if (minimised) {
        std::rotate(it, it + 1, state_.windows.end());
        if (dragging_ == token)
            dragging_ = 0;
    } else {
        std::rotate(state_.windows.begin(), it, it + 1);
    }
    emit changed();
    return true;
}

bool SimDesktop::setFullScreen(std::uint64_t token, bool fullScreen)
{
    auto guard = lock();
    SimWindow* w = mutableWindow(token);
    if (!w)
        return false;
    w->fullScreen = fullScreen;
    emit changed();
    return true;
}

bool SimDesktop::raiseWindow(std::uint64_t token)
{
    auto guard = lock();
    auto it = std::find_if(state_.windows.begin(), state_.windows.end(),
                           [token](const SimWindow& w) { return w.token == token; });
    if (it == state_.windows.end())
        return false;
    if (it != state_.windows.begin()) {
        leaving({token});
        std::rotate(state_.windows.begin(), it, it + 1);
        emit changed();
    }
    return true;
}

int SimDesktop::nextFrontmost(int leaving) const
{
    for (const SimWindow& w : state_.windows) {
        const SimApp* a = app(w.pid);
        if (w.pid != leaving && isOnScreen(w) && a->policy == ActivationPolicy::regular)
            return w.pid;
    }
    for (const SimApp& a : state_.apps) {
        if (a.pid != leaving && !a.hidden && a.policy == ActivationPolicy::regular)
            return a.pid;
    }
    return 0;
}

void SimDesktop::announceActivated(int pid)
{
    const SimApp* a = app(pid);
    if (!a)
        return;
    const RunningApp announced = a->snapshot(true);
    post([this, announced] { emit workspace_->applicationActivated(announced); });
}

void SimDesktop::makeFrontmost(int pid)
{
    if (state_.frontmostPid == pid)
        return;
    state_.frontmostPid = pid;
    announceActivated(pid);
}

bool SimDesktop::setHidden(int pid, bool hidden)
{
    auto guard = lock();
    SimApp* a = mutableApp(pid);
    if (!a)
        return false;
    if (a->hidden == hidden)
        return true;
    a->hidden = hidden;
    if (hidden) {
        forget(pid);
        if (state_.frontmostPid == pid)
            makeFrontmost(nextFrontmost(pid));
    }
    emit changed();
    return true;
}

bool SimDesktop::setFrontmost(int pid)
{
    auto guard = lock();
    if (pid != 0 && !app(pid))
        return false;
    if (state_.frontmostPid != pid) {
        makeFrontmost(pid);
        emit changed();
    }
    return true;
}

bool SimDesktop::activate(int pid)
{
    auto guard = lock();
    SimApp* a = mutableApp(pid);
    if (!a)
        return false;
    a->hidden = false;
    std::vector<std::uint64_t> rising;
    for (const SimWindow& w : state_.windows)
        if (w.pid == pid && !w.minimised)
            rising.push_back(w.token);
    leaving(std::move(rising));
    std::stable_partition(state_.windows.begin(), state_.windows.end(),
                          [pid](const SimWindow& w) { return w.pid == pid && !w.minimised; });
    makeFrontmost(pid);
    emit changed();
    return true;
}

void SimDesktop::setTimesOut(int pid, bool timesOut)
{
    auto guard = lock();
    if (SimApp* a = mutableApp(pid)) {
        a->timesOut = timesOut;
        emit changed();
    }
}

// Every read of an application's windows sets its time-out again (to the
// same value, once a second or more while the program watches titles): only
// a change is announced, or the desktop's whole window would be drawn again
// for each.
void SimDesktop::setMessagingTimeout(int pid, double seconds)
{
    auto guard = lock();
    SimApp* a = mutableApp(pid);
    const double timeout = seconds > 0 ? seconds : 0;
    if (a && a->messagingTimeout != timeout) {
        a->messagingTimeout = timeout;
        emit changed();
    }
}

void SimDesktop::setDefaultMessagingTimeout(double seconds)
{
    auto guard = lock();
    const double timeout = seconds > 0 ? seconds : kDefaultMessagingTimeout;
    if (defaultTimeout_ != timeout) {
        defaultTimeout_ = timeout;
        emit changed();
    }
}

void SimDesktop::setEnhancedUserInterface(int pid, bool on)
{
    auto guard = lock();
    if (SimApp* a = mutableApp(pid)) {
        a->enhancedUserInterface = on;
        emit changed();
    }
}

void SimDesktop::setRefusedHotKeys(std::vector<SimKey> keys)
{
    auto guard = lock();
    state_.refusedHotKeys = std::move(keys);
    emit changed();
}

bool SimDesktop::pressKey(std::uint32_t keyCode, std::uint32_t modifiers)
{
    inputTaps_->deliverKey(keyCode, modifiers);
    return hotKeys_->press(SimKey{keyCode, modifiers});
}

void SimDesktop::setModifierFlags(std::uint64_t flags)
{
    auto guard = lock();
    flags &= modflag::deviceIndependentMask;
    if (flags == modifierFlags_)
        return;
    modifierFlags_ = flags;
    inputTaps_->deliver(TapEvent::Type::flagsChanged, mouseLocation_);
    const SimApp* front = frontmostApp();
    if (front && front->isSelf)
        emit eventMonitors_->localModifierFlagsChanged(flags);
    else
        emit eventMonitors_->globalModifierFlagsChanged(flags);
    emit changed();
}

void SimDesktop::mouseDown(Point location)
{
    auto guard = lock();
    inputTaps_->deliver(TapEvent::Type::leftMouseDown, location);
    mouseLocation_ = location;
    mouseButtons_ |= 1u;
    if (const SimApp* item = appNamed(dockItemAt(location))) {
        activate(item->pid);
    } else if (const SimWindow* w = windowAt(location)) {
        const std::uint64_t token = w->token;
        const int pid = w->pid;
        if (location.y < w->frame.y + kTitleBarHeight) {
            dragging_ = token;
            dragFrom_ = location;
        }
        raiseWindow(token);
        makeFrontmost(pid);
    }
    const SimApp* front = frontmostApp();
    if (!front || !front->isSelf)
        emit eventMonitors_->globalLeftMouseDown(location);
    emit changed();
}

void SimDesktop::mouseMove(Point location)
{
    auto guard = lock();
    if ((mouseButtons_ & 1u) && location != mouseLocation_)
        inputTaps_->deliver(TapEvent::Type::leftMouseDragged, location);
    if (const SimWindow* held = window(dragging_); held && (mouseButtons_ & 1u)) {
        Rect moved = held->frame;
        moved.x += location.x - dragFrom_.x;
        moved.y += location.y - dragFrom_.y;
        dragFrom_ = location;
        setFrame(dragging_, moved);
    }
    mouseLocation_ = location;
    emit changed();
}

void SimDesktop::mouseUp(Point location)
{
    auto guard = lock();
    mouseMove(location);
    inputTaps_->deliver(TapEvent::Type::leftMouseUp, location);
    mouseButtons_ &= ~1u;
    dragging_ = 0;
    const SimApp* front = frontmostApp();
    if (!front || !front->isSelf)
        emit eventMonitors_->globalLeftMouseUp(location);
    emit changed();
}

void SimDesktop::fireWillSleep() { emit workspace_->willSleep(); }
void SimDesktop::fireScreensDidSleep() { emit workspace_->screensDidSleep(); }
void SimDesktop::fireSessionDidResignActive() { emit workspace_->sessionDidResignActive(); }
void SimDesktop::fireWillTerminate() { emit workspace_->willTerminate(); }

void SimDesktop::beep()
{
    auto guard = lock();
    ++beeps_;
    emit changed();
}

void SimDesktop::log(const QString& line)
{
    auto guard = lock();
    log_.append(line);
    emit changed();
}

void SimDesktop::countTimeout(int pid)
{
    auto guard = lock();
    ++timeouts_[pid];
    emit changed();
}

void SimDesktop::countTrustPrompt()
{
    auto guard = lock();
    ++trustPrompts_;
    emit changed();
}

void SimDesktop::post(std::function<void()> fn) { clock_.singleShot(0, this, std::move(fn)); }

std::uint32_t SimDesktop::addSurface(QWidget* content)
{
    auto guard = lock();
    const std::uint32_t number = nextNumber_++;
    surfaces_.add(number, content);
    return number;
}

void SimDesktop::removeSurface(std::uint32_t number)
{
    auto guard = lock();
    const SimSurface* s = surface(number);
    const bool shown = s && s->visible;
    surfaces_.remove(number);
    if (shown)
        emit changed();
}

bool SimDesktop::changeSurface(std::uint32_t number, const std::function<void(SimSurface&, SimSurfaceStack&)>& change)
{
    auto guard = lock();
    SimSurface* s = surfaces_.find(number);
    if (!s)
        return false;
    change(*s, surfaces_);
    emit changed();
    return true;
}

} // namespace tavrin
