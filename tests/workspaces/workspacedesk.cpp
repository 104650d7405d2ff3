#include "workspacedesk.h"

#include "windows/windowhooks.h"
#include "workspaces/activeworkspace.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/workspacehooks.h"

namespace tavrin {

namespace {
SimWindow makeWindow(const QString& title, Rect frame)
{
    SimWindow w;
    w.title = title;
    w.frame = frame;
    return w;
}

SimApp simApp(int pid, const QString& name)
{
    SimApp a;
    a.pid = pid;
    a.name = name;
    a.location = QStringLiteral("/Applications/") + name + QStringLiteral(".app");
    return a;
}

void resetShared()
{
    WorkspaceHooks::shared() = WorkspaceHooks();
    WindowHooks::shared() = WindowHooks();
    ActiveWorkspace::current().clear();
}
} // namespace

SimState WorkspaceDesk::defaultState()
{
    SimState s;
    s.displays = {SimDisplay{QStringLiteral("Studio"), Rect(0, 0, 2560, 1440), 2, 1, 0, 0}};
    SimApp self = simApp(100, QStringLiteral("Tavrin"));
    self.isSelf = true;
    self.policy = ActivationPolicy::accessory;
    SimApp notes = simApp(106, QStringLiteral("Notes"));
    notes.hidden = true;
    s.apps = {self,
              simApp(101, QStringLiteral("Safari")),
              simApp(102, QStringLiteral("Terminal")),
              simApp(103, QStringLiteral("Mail")),
              simApp(104, QStringLiteral("Slack")),
              simApp(105, QStringLiteral("Music")),
              notes};

    auto add = [&](int pid, const QString& title, Rect frame) {
        SimWindow w = makeWindow(title, frame);
        w.pid = pid;
        s.windows.push_back(w);
        return std::prev(s.windows.end());
    };
    add(101, QStringLiteral("Docs"), Rect(40, 60, 1200, 900))->tabs = {SimTab{QStringLiteral("Docs"), QStringLiteral("https://docs.example.com/guide")}};
    add(101, QStringLiteral("News"), Rect(300, 200, 1100, 800))->tabs = {SimTab{QStringLiteral("News"), QStringLiteral("https://news.example.com/")}};
    add(103, QStringLiteral("Inbox"), Rect(1300, 80, 1000, 700));
    add(104, QStringLiteral("general"), Rect(1500, 600, 900, 700));
    add(105, QStringLiteral("Library"), Rect(200, 700, 900, 600));
    add(106, QStringLiteral("Ideas"), Rect(800, 300, 700, 600));
    add(102, QStringLiteral("zsh"), Rect(1800, 900, 700, 450))->minimised = true;
    s.frontmostPid = 101;

    SimInstalledApp calendar{QStringLiteral("Calendar"), QStringLiteral("com.example.calendar"),
                             QStringLiteral("/Applications/Calendar.app"), ActivationPolicy::regular,
                             {makeWindow(QStringLiteral("Calendar"), Rect(400, 150, 1300, 900))}};
    SimInstalledApp empty{QStringLiteral("Empty"), QStringLiteral("com.example.empty"),
                          QStringLiteral("/Applications/Empty.app"), ActivationPolicy::regular, {}};
    s.installed = {calendar, empty};
    s.defaultApps = {{QStringLiteral("http"), QStringLiteral("/Applications/Safari.app")},
                     {QStringLiteral("https"), QStringLiteral("/Applications/Safari.app")}};
    s.launchDelay = 1.0;
    return s;
}

WorkspaceDesk::WorkspaceDesk()
{
    resetShared();
    Platform::install(desktop.services(&defaults, &keychain));
    load(defaultState());
}

void WorkspaceDesk::TearDown()
{
    // What is still scheduled runs now, while the test's hooks still stand.
    clock.advance(10);
    resetShared();
}

WorkspaceDesk::~WorkspaceDesk() { resetShared(); }

void WorkspaceDesk::load(SimState state) { desktop.load(std::move(state)); }

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

const SimWindow* WorkspaceDesk::simWindow(const QString& title) const
{
    const SimWindow* w = desktop.windowTitled(title);
    if (!w)
        ADD_FAILURE() << "no window titled " << title.toStdString();
    return w;
}

AXWindow WorkspaceDesk::window(const QString& title) const
{
    const SimWindow* w = simWindow(title);
    if (!w)
        return {};
    return AXWindow{SimAccessibility::elementOf(*w), desktop.app(w->pid)->snapshot(false)};
}

} // namespace tavrin
