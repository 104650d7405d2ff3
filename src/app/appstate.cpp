#include "app/appstate.h"

#include "platform/accessibility.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "windows/axwindow.h"
#include "windows/edgetiling.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QCoreApplication>
#include <QSet>
#include <QThread>

namespace tavrin {

namespace {
bool trustedNow(Accessibility* ax) { return ax && ax->isTrusted(false); }

void assertMainThread()
{
    Q_ASSERT(!QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread());
}
} // namespace

AppState::AppState(Parts parts, QObject* parent)
    : QObject(parent),
      windows_(parts.windows),
      shortcuts_(parts.shortcuts),
      hotKeys_(parts.hotKeys),
      clock_(*parts.platform.clock),
      accessibility_(parts.platform.accessibility),
      commandBar_(std::move(parts.commandBar))
{
    isTrusted_ = trustedNow(accessibility_);
    edgeTilingOn_ = EdgeTiling::isOn();
    hud_ = std::make_unique<SnapHUDController>(windows_, shortcuts_, parts.platform);
    commandBar_->onSettingsRequested([this] { showSettings(SettingsPane::ai); });
    connect(&hotKeys_, &HotKeyCenter::keyFreed, this, &AppState::keyFreed);
}

Registration AppState::setEngine(EngineSlot slot, Engine& engine) { return engines_[std::size_t(slot)].set(engine); }

void AppState::showSettings(std::optional<SettingsPane> pane)
{
    if (SettingsOpener* opener = settings_.get())
        opener->show(pane);
}

AppState::~AppState() = default;

void AppState::startEngines()
{
    if (enginesStarted_)
        return;
    enginesStarted_ = true;

    AXWindow::trackFrontmostApp();
    registerHotKeys();
    if (isTrusted_)
        hud_->installMonitors();

    for (const Collaborator<Engine>& engine : engines_)
        if (engine)
            engine->start();

    // The first tick comes a second from now; the timer dies with this state.
    delete pollTimer_;
    pollTimer_ = new Timer(clock_, this);
    connect(pollTimer_, &Timer::timeout, this, [this] {
        assertMainThread();
        poll();
    });
    pollTimer_->startRepeating(kPollInterval);
}

void AppState::registerHotKeys()
{
    HotKeyCenter& center = hotKeys_;
    center.unregisterAll();
    shortcuts_.onChange = [self = QPointer<AppState>(this)] {
        if (self)
            self->registerHotKeys();
    };
    if (shortcuts_.isRecording())
        return;

    QSet<QString> failed;
    for (const ShortcutAction& action : ShortcutAction::allCases()) {
        const auto combo = shortcuts_.combo(action);
        if (!combo)
            continue;
        const bool registered = center.registerKey(*combo, [self = QPointer<AppState>(this), action] {
            assertMainThread();
            if (self)
                self->perform(action);
        });
        if (!registered)
            failed.insert(action.id());
    }
    shortcuts_.setUnavailable(failed);
}

void AppState::keyFreed(const KeyCombo& combo)
{
    QSet<QString> unavailable = shortcuts_.unavailable();
    for (const ShortcutAction& action : ShortcutAction::allCases())
        if (const auto bound = shortcuts_.combo(action); bound && *bound == combo)
            unavailable.remove(action.id());
    shortcuts_.setUnavailable(unavailable);
}

void AppState::poll()
{
    const bool trusted = trustedNow(accessibility_);
    if (trusted != isTrusted_) {
        setTrusted(trusted);
        if (trusted)
            hud_->installMonitors();
        else
            hud_->removeMonitors();
    }
    setEdgeTiling(EdgeTiling::isOn());
}

void AppState::perform(const ShortcutAction& action)
{
    switch (action.kind) {
    case ShortcutAction::Kind::layout: windows_.applyLayout(action.layoutKind, true); break;
    case ShortcutAction::Kind::arrow:
        if (const auto frame = windows_.arrow(action.direction))
            hud_->flashArrow(action.direction, *frame);
        break;
    case ShortcutAction::Kind::moveDisplay:
        if (const auto frame = windows_.moveToDisplay(action.right))
            hud_->flashArrow(std::nullopt, *frame);
        break;
    case ShortcutAction::Kind::snap:
        if (const auto frame = windows_.snap(action.target))
            hud_->flashTarget(action.target, *frame);
        break;
    case ShortcutAction::Kind::commandBar: toggleCommandBar(); break;
    case ShortcutAction::Kind::usualLayout:
        if (const auto display = windows_.focusedContext())
            windows_.applyLayout(windows_.usualLayout(*display), false);
        break;
    case ShortcutAction::Kind::fill:
        if (const auto frame = windows_.fill())
            hud_->flashArrow(std::nullopt, *frame);
        break;
    case ShortcutAction::Kind::shareSafe:
        if (shareSafe_)
            shareSafe_->toggleNow();
        break;
    case ShortcutAction::Kind::hideApp:
        if (shareSafe_)
            shareSafe_->hideFrontApp();
        break;
    }
}

void AppState::toggleCommandBar()
{
    if (commandBar_->isShowing())
        commandBar_->orderOut();
    else
        commandBar_->show();
}

void AppState::setTrusted(bool trusted)
{
    if (trusted == isTrusted_)
        return;
    isTrusted_ = trusted;
    emit isTrustedChanged(trusted);
}

void AppState::setEdgeTiling(bool on)
{
    if (on == edgeTilingOn_)
        return;
    edgeTilingOn_ = on;
    emit edgeTilingOnChanged(on);
}

} // namespace tavrin
