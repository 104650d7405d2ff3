#include "workspacedesk.h"

#include "workspaces/activeworkspace.h"
#include "workspaces/activeworkspaceholder.h"

namespace tavrin {

namespace {
const QByteArray kScenario = R"({
  "launchDelay": 1.0,
  "frontmost": "Safari",
  "displays": [ { "name": "Studio", "frame": [0, 0, 2560, 1440], "scale": 2, "number": 1 } ],
  "apps": [
    { "name": "Tavrin", "pid": 100, "policy": "accessory", "self": true },
    { "name": "Safari", "pid": 101 },
    { "name": "Terminal", "pid": 102 },
    { "name": "Mail", "pid": 103 },
    { "name": "Slack", "pid": 104 },
    { "name": "Music", "pid": 105 },
    { "name": "Notes", "pid": 106, "hidden": true }
  ],
  "windows": [
    { "app": "Safari", "frame": [40, 60, 1200, 900], "tabs": [ { "title": "Docs", "url": "https://docs.example.com/guide" } ] },
    { "app": "Safari", "frame": [300, 200, 1100, 800], "tabs": [ { "title": "News", "url": "https://news.example.com/" } ] },
    { "app": "Mail", "title": "Inbox", "frame": [1300, 80, 1000, 700] },
    { "app": "Slack", "title": "general", "frame": [1500, 600, 900, 700] },
    { "app": "Music", "title": "Library", "frame": [200, 700, 900, 600] },
    { "app": "Notes", "title": "Ideas", "frame": [800, 300, 700, 600] },
    { "app": "Terminal", "title": "zsh", "frame": [1800, 900, 700, 450], "minimised": true }
  ],
  "installed": [
    { "name": "Calendar", "windows": [ { "title": "Calendar", "frame": [400, 150, 1300, 900] } ] },
    { "name": "Empty" }
  ],
  "defaultApps": { "http": "Safari", "https": "Safari" }
})";

} // namespace

SimState WorkspaceDesk::defaultState()
{
    return SimScenario::fromJson(kScenario, QStringLiteral("workspace desk")).state();
}

WorkspaceDesk::WorkspaceDesk() : env(kScenario) {}

void WorkspaceDesk::TearDown()
{
    // What is still scheduled runs now, while the test's collaborators are
    // still registered.
    clock.advance(10);
}

WorkspaceDesk::~WorkspaceDesk() = default;

Display WorkspaceDesk::display() const { return Display::all().front(); }

ScreenCapture WorkspaceDesk::capture() const { return ScreenCapture::of(display()); }

int WorkspaceDesk::indexOf(const ScreenCapture& capture, const QString& title) const
{
    for (std::size_t i = 0; i < capture.windows.size(); ++i)
        if (capture.windows[i].string(QStringLiteral("AXTitle")) == title)
            return int(i);
    ADD_FAILURE() << "no captured window titled " << title.toStdString();
    return -1;
}

AXWindow WorkspaceDesk::window(const QString& title) const
{
    const SimWindow* w = simWindow(title);
    if (!w)
        return {};
    return AXWindow{SimAccessibility::elementOf(*w), desktop.app(w->pid)->snapshot(false)};
}

} // namespace tavrin
