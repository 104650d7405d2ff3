#pragma once

#include "app/commandbarcontrol.h"
#include "app/engine.h"
#include "app/meetingcontrol.h"
#include "app/routinecontrol.h"
#include "app/settingsopener.h"
#include "app/sharesafecontrol.h"
#include "app/suggestionsource.h"
#include "platform/registration.h"
#include "platform/timer.h"
#include "snapping/snaphudcontroller.h"
#include "windows/keycombo.h"
#include "windows/shortcutaction.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <memory>

namespace tavrin {

class Accessibility;
class Clock;
class HotKeyCenter;
struct Platform;

// The application state: whether the process is trusted for
// Accessibility and whether the desktop's own edge tiling is on (both
// re-read once a second once the engines run, and published only when they
// change), the snap overlay and the command bar it owns, the global hot keys
// and what each shortcut action does.
//
// The subsystems built beside the shell (the engines, the modes, Focus
// routines, learned suggestions, the Settings window) register themselves
// here at start-up; each registration lasts as long as its handle. What is
// not registered is left out: an engine is not started, a mode shows idle
// and its switch only stores its setting. Main thread only.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isTrusted READ isTrusted NOTIFY isTrustedChanged)
    Q_PROPERTY(bool edgeTilingOn READ edgeTilingOn NOTIFY edgeTilingOnChanged)
public:
    static constexpr double kPollInterval = 1.0;

    // What AppState is given: the window manager and shortcut store that the
    // shortcut actions and the snap overlay use, the hot-key centre the
    // shortcuts are registered with (all three outliving the state), the
    // command bar to own (required), and the platform whose clock times the
    // poll, whose Accessibility trust it reads and whose services the snap
    // overlay uses. (The snap overlay it always makes itself; its panels can
    // be replaced through hud().)
    struct Parts {
        WindowManager& windows;
        ShortcutStore& shortcuts;
        HotKeyCenter& hotKeys;
        std::unique_ptr<CommandBarControl> commandBar;
        const Platform& platform;
    };

    // Reads trust and edge tiling.
    explicit AppState(Parts parts, QObject* parent = nullptr);
    ~AppState() override;

    bool isTrusted() const { return isTrusted_; }
    bool edgeTilingOn() const { return edgeTilingOn_; }
    SnapHUDController& hud() const { return *hud_; }
    CommandBarControl& commandBar() const { return *commandBar_; }
    bool enginesStarted() const { return enginesStarted_; }
    // The 1-second poll runs (from the first startEngines() on).
    bool isPolling() const { return pollTimer_ != nullptr; }

    [[nodiscard]] Registration setEngine(EngineSlot slot, Engine& engine);
    [[nodiscard]] Registration setMeeting(MeetingControl& meeting) { return meeting_.set(meeting); }
    [[nodiscard]] Registration setShareSafe(ShareSafeControl& shareSafe) { return shareSafe_.set(shareSafe); }
    [[nodiscard]] Registration setRoutines(RoutineControl& routines) { return routines_.set(routines); }
    [[nodiscard]] Registration setSuggestions(SuggestionSource& source) { return suggestions_.set(source); }
    [[nodiscard]] Registration setSettingsOpener(SettingsOpener& opener) { return settings_.set(opener); }
    MeetingControl* meeting() const { return meeting_.get(); }
    ShareSafeControl* shareSafe() const { return shareSafe_.get(); }
    RoutineControl* routines() const { return routines_.get(); }
    SuggestionSource* suggestions() const { return suggestions_.get(); }

    // Opens the Settings window on `pane` (none: the pane shown last).
    void showSettings(std::optional<SettingsPane> pane);
    // What a registered mode or suggestion source calls when what the
    // menu-bar window shows of it changed (a call began, covering turned
    // on, a suggestion came or went).
    void announceEngineChange() { emit enginesChanged(); }

    // Starts every background component once, in a fixed order; a second
    // call does nothing.
    void startEngines();
    // Registers a hot key for every action that has a key combination, after
    // removing all earlier ones; nothing while a shortcut is being recorded.
    // Actions whose key the system refuses are published as unavailable
    // until the hot-key centre finds the key free after all.
    void registerHotKeys();
    // One tick of the poll.
    void poll();
    // Carries out a shortcut action.
    void perform(const ShortcutAction& action);

signals:
    void isTrustedChanged(bool trusted);
    void edgeTilingOnChanged(bool on);
    void enginesChanged();

private:
    void keyFreed(const KeyCombo& combo);
    void setTrusted(bool trusted);
    void setEdgeTiling(bool on);
    void toggleCommandBar();

    WindowManager& windows_;
    ShortcutStore& shortcuts_;
    HotKeyCenter& hotKeys_;
    Clock& clock_;
    Accessibility* accessibility_;
    bool isTrusted_ = false;
    bool edgeTilingOn_ = true;
    std::unique_ptr<SnapHUDController> hud_;
    std::unique_ptr<CommandBarControl> commandBar_;
    std::array<Collaborator<Engine>, 7> engines_;
    Collaborator<MeetingControl> meeting_;
    Collaborator<ShareSafeControl> shareSafe_;
    Collaborator<RoutineControl> routines_;
    Collaborator<SuggestionSource> suggestions_;
    Collaborator<SettingsOpener> settings_;
    QPointer<Timer> pollTimer_;
    bool enginesStarted_ = false;
};

} // namespace tavrin
