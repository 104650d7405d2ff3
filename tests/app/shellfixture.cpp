#include "shellfixture.h"

#include "app/commandbaradapter.h"
#include "windows/hotkeycenter.h"
#include "windows/windowmanager.h"

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

ShellTest::ShellTest()
{
    // Whatever an earlier test pressed is long past.
    env.clock.advance(100);
    for (const char* name : {"autoArrange", "shareSafe", "meetingMode", "focus", "habits", "handPlacement", "sessions"})
        engines.push_back(std::make_unique<RecordingEngine>(QString::fromLatin1(name), log));
}

ShellTest::~ShellTest() = default;

AppState::Parts ShellTest::parts(std::unique_ptr<CommandBarControl> commandBar)
{
    if (!commandBar)
        commandBar = std::make_unique<CommandBarAdapter>(graph.services());
    return {windows, shortcutStore, hotKeys, std::move(commandBar), Platform::current()};
}

MenuBarServices ShellTest::menuBar(AppState& state)
{
    const Platform& platform = Platform::current();
    return {state, windows, shortcutStore, updater, active, platform.defaults, platform.clock, platform.windowServer};
}

std::unique_ptr<AppState> ShellTest::makeState()
{
    auto state = std::make_unique<AppState>(parts(std::make_unique<RecordingCommandBar>(bar)));
    auto fake = std::make_unique<FakeHUDPanels>();
    panels = fake.get();
    state->hud().setPanels(std::move(fake));
    attach(*state);
    return state;
}

void ShellTest::attach(AppState& state)
{
    for (std::size_t slot = 0; slot < engines.size(); ++slot)
        registrations.push_back(state.setEngine(EngineSlot(slot), *engines[slot]));
    registrations.push_back(state.setShareSafe(shareSafe));
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
