#pragma once

#include "app/commandbarcontrol.h"
#include "platform/timer.h"
#include "snapping/snaphudcontroller.h"
#include "windows/shortcutaction.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace tavrin {

// The shared application state: whether the process is trusted for
// Accessibility and whether the desktop's own edge tiling is on (both
// re-read once a second once the engines run, and published only when they
// change), the snap overlay and the command bar it owns, the global hot keys
// and what each shortcut action does. Main thread only.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isTrusted READ isTrusted NOTIFY isTrustedChanged)
    Q_PROPERTY(bool edgeTilingOn READ edgeTilingOn NOTIFY edgeTilingOnChanged)
public:
    static constexpr double kPollInterval = 1.0;

    // Made on first use and kept.
    static AppState& shared();

    // Reads trust and edge tiling, makes the snap overlay and the command bar
    // (the command bar from ShellHooks, else its stand-in). Tests make their
    // own.
    explicit AppState(QObject* parent = nullptr);
    ~AppState() override;

    bool isTrusted() const { return isTrusted_; }
    bool edgeTilingOn() const { return edgeTilingOn_; }
    SnapHUDController& hud() const { return *hud_; }
    CommandBarControl& commandBar() const { return *commandBar_; }
    bool enginesStarted() const { return enginesStarted_; }
    // The 1-second poll runs (from the first startEngines() on).
    bool isPolling() const { return pollTimer_ != nullptr; }

    // Starts every background component once, in a fixed order; a second
    // call does nothing.
    void startEngines();
    // Registers a hot key for every action that has a key combination, after
    // removing all earlier ones; nothing while a shortcut is being recorded.
    // Actions whose key the system refuses are published as unavailable.
    void registerHotKeys();
    // One tick of the poll.
    void poll();
    // Carries out a shortcut action.
    void perform(const ShortcutAction& action);

signals:
    void isTrustedChanged(bool trusted);
    void edgeTilingOnChanged(bool on);

private:
    void setTrusted(bool trusted);
    void setEdgeTiling(bool on);
    void toggleCommandBar();

    bool isTrusted_ = false;
    bool edgeTilingOn_ = true;
    std::unique_ptr<SnapHUDController> hud_;
    std::unique_ptr<CommandBarControl> commandBar_;
    QPointer<Timer> pollTimer_;
    bool enginesStarted_ = false;
};

} // namespace tavrin
