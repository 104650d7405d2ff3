#pragma once

#include "app/appstate.h"
#include "app/commandbarcontrol.h"
#include "app/intents/tavrinshortcuts.h"
#include "app/menubar/menubarservices.h"
#include "app/updates/updater.h"
#include "snapping/fakehudpanels.h"
#include "support/commandbargraph.h"
#include "support/simfixture.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"
#include "workspaces/workspacerunner.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace tavrin {

// A command bar that records what it was asked.
class RecordingCommandBar : public CommandBarControl {
public:
    explicit RecordingCommandBar(std::shared_ptr<QStringList> log) : log_(std::move(log)) {}
    bool isShowing() const override { return showing; }
    void orderOut() override;
    void show() override;
    void open(const SavedWorkspace& workspace) override;
    void ask(const QString& request) override;
    void onSettingsRequested(std::function<void()> open) override { settingsRoute = std::move(open); }

    bool showing = false;
    std::function<void()> settingsRoute;

private:
    std::shared_ptr<QStringList> log_;
};

// An engine that writes its name to the log when started.
class RecordingEngine : public Engine {
public:
    RecordingEngine(QString name, std::shared_ptr<QStringList> log) : name_(std::move(name)), log_(std::move(log)) {}
    void start() override
    {
        if (onStart)
            onStart();
        *log_ << name_;
    }
    std::function<void()> onStart;

private:
    QString name_;
    std::shared_ptr<QStringList> log_;
};

// Share-safe's shell side: its shortcuts write "toggleShareSafe" and
// "hideFrontApp" to the log; the switch and the state are the test's.
class RecordingShareSafe : public ShareSafeControl {
public:
    explicit RecordingShareSafe(std::shared_ptr<QStringList> log) : log_(std::move(log)) {}
    bool active() const override { return isActive; }
    QString notice() const override { return noticeText; }
    void setEnabled(bool on) override { enabled = on; }
    void toggleNow() override { *log_ << QStringLiteral("toggleShareSafe"); }
    void hideFrontApp() override { *log_ << QStringLiteral("hideFrontApp"); }

    bool isActive = false;
    QString noticeText;
    std::optional<bool> enabled;

private:
    std::shared_ptr<QStringList> log_;
};

struct FakeMeeting : MeetingControl {
    bool call = false;
    std::optional<bool> enabled;
    bool inCall() const override { return call; }
    void setEnabled(bool on) override { enabled = on; }
};

struct FakeSuggestions : SuggestionSource {
    std::function<std::optional<Habit>()> onHabit;
    std::function<std::optional<Placement>()> onPlacement;
    std::optional<Habit> habit() const override { return onHabit ? onHabit() : std::nullopt; }
    std::optional<Placement> placement() const override { return onPlacement ? onPlacement() : std::nullopt; }
};

struct RecordingSettings : SettingsOpener {
    QStringList panes; // "(last)" for none
    void show(std::optional<SettingsPane> pane) override
    {
        panes << (pane ? settingsPaneName(*pane) : QStringLiteral("(last)"));
    }
};

QString describe(const Rect& frame);

// A simulated desktop with the shell's collaborators recorded: `log` gets the
// engines' names as they start and Share-safe's actions, `bar` the command
// bar's calls; the snap overlay of a state made by `makeState()` shows on
// `panels`.
class ShellTest : public ::testing::Test {
protected:
    ShellTest();
    ~ShellTest() override;

    // A state with the recording command bar, the overlay on fake panels,
    // the engines and Share-safe registered.
    std::unique_ptr<AppState> makeState();
    // Parts on the shared window manager and shortcut store and the test's
    // hot-key centre (which run on the simulated desktop), with `commandBar`
    // (none: the real one, on `graph`).
    AppState::Parts parts(std::unique_ptr<CommandBarControl> commandBar = nullptr);
    // What the menu-bar window of `state` works with: the shared window
    // manager and shortcut store, the test's updater and active workspace,
    // and the installed platform's settings and clock.
    MenuBarServices menuBar(AppState& state);
    // Registers the recording engines and Share-safe with `state` for the test.
    void attach(AppState& state);
    const SimWindow& focused() const;
    // The outline the snap overlay shows now: a window's frame 2 points
    // larger on every side; none when it shows none.
    std::optional<Rect> outline() const;

    SimEnvironment env;
    HotKeyCenter hotKeys;
    // Places and arranges windows for the shell and the intents.
    WindowManager windows;
    ShortcutStore shortcutStore;
    // The command bar's collaborators; its active workspace is the one the
    // runner puts back and the menu-bar window names.
    CommandBarGraph graph{windows};
    ActiveWorkspaceHolder& active = graph.active;
    WorkspaceRunner runner{windows, Platform::current(), active};
    // What the intents offer, as the program installs it.
    TavrinShortcuts shortcuts;
    Updater updater{Platform::current()};
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
    FakeHUDPanels* panels = nullptr;
    std::shared_ptr<QStringList> bar = std::make_shared<QStringList>();
    std::vector<std::unique_ptr<RecordingEngine>> engines;
    RecordingShareSafe shareSafe{log};
    std::vector<Registration> registrations;
};

} // namespace tavrin
