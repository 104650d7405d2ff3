#include "shellfixture.h"

#include "windows/hotkeycenter.h"

namespace tavrin {

QString describe(const Rect& frame)
{
    return QStringLiteral("%1,%2 %3x%4").arg(frame.x).arg(frame.y).arg(frame.width).arg(frame.height);
}

void RecordingCommandBar::orderOut()
{
    showing = false;
    *log_ << QStringLiteral("orderOut");
}

void RecordingCommandBar::show()
{
    showing = true;
    *log_ << QStringLiteral("show");
}

void RecordingCommandBar::open(const SavedWorkspace&)
{
    show();
    *log_ << QStringLiteral("open");
}

void RecordingCommandBar::ask(const QString& request)
{
    show();
    *log_ << QStringLiteral("ask ") + request;
}

ShellTest::ShellTest() : saved_(ShellHooks::shared())
{
    // Whatever an earlier test pressed is long past.
    env.clock.advance(100);
    ShellHooks& hooks = ShellHooks::shared();
    auto engine = [this](const char* name) { return [this, name] { *log << QString::fromLatin1(name); }; };
    hooks.startAutoArrange = engine("autoArrange");
    hooks.startShareSafe = engine("shareSafe");
    hooks.startMeetingMode = engine("meetingMode");
    hooks.startFocus = engine("focus");
    hooks.startHabits = engine("habits");
    hooks.startHandPlacement = engine("handPlacement");
    hooks.startSessions = engine("sessions");
    hooks.toggleShareSafe = engine("toggleShareSafe");
    hooks.hideFrontApp = engine("hideFrontApp");
    hooks.makeCommandBar = [this] { return std::make_unique<RecordingCommandBar>(bar); };
    ShortcutStore::shared().setRecording(false);
    ShortcutStore::shared().setUnavailable({});
}

ShellTest::~ShellTest()
{
    HotKeyCenter::shared().unregisterAll();
    ShortcutStore::shared().onChange = nullptr;
    ShortcutStore::shared().setRecording(false);
    ShortcutStore::shared().setUnavailable({});
    ShellHooks::shared() = saved_;
}

std::unique_ptr<AppState> ShellTest::makeState()
{
    auto state = std::make_unique<AppState>();
    auto fake = std::make_unique<FakeHUDPanels>();
    panels = fake.get();
    state->hud().setPanels(std::move(fake));
    return state;
}

std::optional<Rect> ShellTest::outline() const
{
    if (!panels || !panels->outline || !panels->outline->isVisible())
        return std::nullopt;
    return panels->outline->frame().insetBy(2, 2);
}

const SimWindow& ShellTest::focused() const
{
    const SimWindow* w = env.desktop.focusedWindow();
    EXPECT_NE(w, nullptr);
    return *w;
}

} // namespace tavrin
