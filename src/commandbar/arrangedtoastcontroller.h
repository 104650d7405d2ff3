#pragma once

#include "design/panelplacement.h"
#include "platform/taskhandle.h"
#include "windows/display.h"
#include "workspaces/workspacerunner.h"

#include <QPointer>
#include <QString>
#include <optional>

class QGraphicsOpacityEffect;
class QWidget;

namespace tavrin {

class Clock;
class CommandBarRunner;
class Timer;

// The capsule shown at the bottom centre of a display after the command bar
// has arranged a plan: one line saying what was done, and "Undo". It fades
// in, hides itself after six seconds, and "Undo" hands the outcome back to
// the runner and hides it at once. It never takes the keyboard.
class ArrangedToastController {
public:
    static constexpr double kVisibleSeconds = 6.0;
    static constexpr double kFadeInSeconds = 0.3;
    // The capsule's distance from the bottom of the visible area (the panel
    // has ToastView's transparent margin around it).
    static constexpr double kBottomInset = 16;

    // Undoes through `runner` and times the fade and the hide on `clock`;
    // both outlive the controller.
    ArrangedToastController(CommandBarRunner& runner, Clock& clock);
    ~ArrangedToastController();
    ArrangedToastController(const ArrangedToastController&) = delete;
    ArrangedToastController& operator=(const ArrangedToastController&) = delete;

    // Shows what the outcome did on the display (replacing a toast already up).
    void show(const WorkspaceRunner::Outcome& outcome, const std::optional<QString>& saved, const Display& display);
    // Cancels the pending hide and orders the panel out, without a fade.
    void hide();

    QWidget* panel() const { return panel_; }
    bool isShowing() const;
    // How far the fade-in has come, 0 to 1.
    qreal opacity() const;
    // Whether an automatic hide is pending.
    bool hidePending() const { return hideTask_.isRunning(); }

    void setPlacement(PanelPlacement placement) { placement_ = std::move(placement); }

    // The toast's line for an outcome: "Arranged 3 windows · quit Mail · hid
    // Slack, Music · saved as “Deep work”", "Nothing to do", …
    static QString message(const WorkspaceRunner::Outcome& outcome, const std::optional<QString>& saved);

private:
    void makePanel();
    void fadeIn();

    CommandBarRunner& runner_;
    Clock& clock_;
    QPointer<QWidget> panel_;
    TaskHandle hideTask_;
    QPointer<Timer> fade_;
    QPointer<QGraphicsOpacityEffect> opacity_;
    double fadeStart_ = 0;
    PanelPlacement placement_;
};

} // namespace tavrin
