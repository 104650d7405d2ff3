#include "app/appstate.h"

#include "app/shellhooks.h"
#include "app/commandbaradapter.h"
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
bool trustedNow()
{
    Accessibility* ax = Platform::current().accessibility;
    return ax && ax->isTrusted(false);
}

void assertMainThread()
{
    Q_ASSERT(!QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread());
}

void run(const std::function<void()>& engine)
{
    if (engine)
        engine();
}
} // namespace

AppState& AppState::shared()
{
    static AppState* state = new AppState;
    return *state;
}

AppState::AppState(QObject* parent) : QObject(parent)
{
    isTrusted_ = trustedNow();
    edgeTilingOn_ = EdgeTiling::isOn();
    const ShellHooks& hooks = ShellHooks::shared();
    hud_ = std::make_unique<SnapHUDController>(WindowManager::shared(), ShortcutStore::shared());
    commandBar_ = hooks.makeCommandBar ? hooks.makeCommandBar() : nullptr;
    if (!commandBar_)
        commandBar_ = std::make_unique<CommandBarAdapter>();
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

    const ShellHooks& hooks = ShellHooks::shared();
    run(hooks.startAutoArrange);
    run(hooks.startShareSafe);
    run(hooks.startMeetingMode);
    run(hooks.startFocus);
    run(hooks.startHabits);
    run(hooks.startHandPlacement);
    run(hooks.startSessions);

    // The first tick comes a second from now; the timer dies with this state.
    delete pollTimer_;
    pollTimer_ = new Timer(*Platform::current().clock, this);
    connect(pollTimer_, &Timer::timeout, this, [this] {
        assertMainThread();
        poll();
    });
    pollTimer_->startRepeating(kPollInterval);
}

void AppState::registerHotKeys()
{
    HotKeyCenter& center = HotKeyCenter::shared();
    ShortcutStore& store = ShortcutStore::shared();
    center.unregisterAll();
    store.onChange = [self = QPointer<AppState>(this)] {
        if (self)
            self->registerHotKeys();
    };
    if (store.isRecording())
        return;

    QSet<QString> failed;
    for (const ShortcutAction& action : ShortcutAction::allCases()) {
        const auto combo = store.combo(action);
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
    store.setUnavailable(failed);
}

void AppState::poll()
{
    const bool trusted = trustedNow();
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
    WindowManager& windows = WindowManager::shared();
    const ShellHooks& hooks = ShellHooks::shared();
    switch (action.kind) {
    case ShortcutAction::Kind::layout:
        windows.applyLayout(action.layoutKind, true);
        break;
    case ShortcutAction::Kind::arrow:
        if (const auto frame = windows.arrow(action.direction))
            hud_->flashArrow(action.direction, *frame);
        break;
    case ShortcutAction::Kind::moveDisplay:
        if (const auto frame = windows.moveToDisplay(action.right))
            hud_->flashArrow(std::nullopt, *frame);
        break;
    case ShortcutAction::Kind::snap:
        if (const auto frame = windows.snap(action.target))
            hud_->flashTarget(action.target, *frame);
        break;
    case ShortcutAction::Kind::commandBar:
        toggleCommandBar();
        break;
    case ShortcutAction::Kind::usualLayout:
        if (const auto display = windows.focusedContext())
            windows.applyLayout(windows.usualLayout(*display), false);
        break;
    case ShortcutAction::Kind::fill:
        if (const auto frame = windows.fill())
            hud_->flashArrow(std::nullopt, *frame);
        break;
    case ShortcutAction::Kind::shareSafe:
        run(hooks.toggleShareSafe);
        break;
    case ShortcutAction::Kind::hideApp:
        run(hooks.hideFrontApp);
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
