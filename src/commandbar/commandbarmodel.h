#pragma once

#include "commandbar/commandbarphase.h"
#include "commandbar/commandbarservices.h"
#include "platform/linuxwords.h"
#include "platform/taskhandle.h"
#include "windows/display.h"
#include "windows/unitrect.h"
#include "windows/windowsnapshot.h"
#include "workspaces/plannedclear.h"
#include "workspaces/plannedwindow.h"
#include "workspaces/planrequest.h"
#include "workspaces/savedworkspace.h"
#include "workspaces/screencapture.h"
#include "workspaces/workspaceplan.h"
#include "workspaces/workspacerunner.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavrin {

class CommandBarPlanner;
class CommandBarRunner;
class WindowManager;

// The command bar's state and logic. It resets itself each time the bar
// opens and prepares a capture of the target display, the displays with
// their window snapshots and the saved workspaces; it turns the typed task
// into a plan, matches it to open windows, reveals the rows one by one, lets
// rows be swapped, and hands the plan to the runner, optionally saving it.
// It owns no window: its owner shows and hides the panels in answer to the
// four callbacks. Main thread only.
//
// The model runs at most one task at a time (planning, opening a saved
// workspace, revealing rows or arranging). Opening the bar, planning, opening
// a saved workspace and `cancelTask()` cancel it; showing a plan and
// arranging replace it and let the old one run on.
class CommandBarModel : public QObject {
    Q_OBJECT
public:
    using Phase = CommandBarPhase;
    using Snapshots = QHash<std::uint32_t, std::vector<WindowSnapshot>>;
    using Rows = std::vector<PlannedWindow>;
    using Clears = std::vector<PlannedClear>;
    using Outcome = WorkspaceRunner::Outcome;
    using OptionalPlan = std::optional<WorkspacePlan>;
    using OptionalCapture = std::optional<ScreenCapture>;
    using Displays = std::vector<Display>;
    using SavedList = QList<SavedWorkspace>;

private:
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textUpdated)
    Q_PROPERTY(tavrin::CommandBarPhase phase READ phase WRITE setPhase NOTIFY phaseChanged)
    Q_PROPERTY(int focusTick READ focusTick NOTIFY focusTickChanged)
    Q_PROPERTY(OptionalPlan plan READ plan NOTIFY planChanged)
    Q_PROPERTY(Rows rows READ rows NOTIFY rowsChanged)
    Q_PROPERTY(Clears clears READ clears NOTIFY clearsChanged)
    Q_PROPERTY(OptionalCapture capture READ capture NOTIFY captureChanged)
    Q_PROPERTY(Displays displays READ displays NOTIFY displaysChanged)
    Q_PROPERTY(Snapshots snapshots READ snapshots NOTIFY snapshotsChanged)
    Q_PROPERTY(SavedList saved READ saved NOTIFY savedChanged)
    Q_PROPERTY(int revealed READ revealed NOTIFY revealedChanged)

public:
    static inline const QString kNeedsTrustMessage =
        LinuxWords::of(QStringLiteral("Tavrin needs Accessibility permission to move windows."));
    static inline const QString kNoDisplayMessage = QStringLiteral("Tavrin couldn't find a display.");
    static inline const QString kNoMatchMessage =
        QStringLiteral("Tavrin couldn't match that to any open windows. Try naming the apps.");

    static constexpr int kCaptureLimit = 40;
    // What a planner is sent of the task, in characters as a person counts them.
    static constexpr int kMaxTextLength = PlanRequest::kMaxRequestLength;
    // The rows appear 0.12 s after the preview shows, then every 0.2 s.
    static constexpr double kFirstRevealDelay = 0.12;
    static constexpr double kRevealInterval = 0.2;
    // Auto-arrange keeps still this long while the runner moves windows.
    static constexpr double kAutoArrangePause = 8.0;

    // Reads and places windows through the services' window manager, plans
    // with their planner and arranges with their runner.
    explicit CommandBarModel(CommandBarServices services, QObject* parent = nullptr);
    ~CommandBarModel() override;

    // ---- Published state ----
    const QString& text() const { return text_; }
    // Keeps at most the characters a request may have (`kMaxTextLength`):
    // a longer text (a paste, an intent's request) is cut before anything
    // shows or measures it.
    void setText(const QString& text);
    const Phase& phase() const { return phase_; }
    void setPhase(const Phase& phase);
    int focusTick() const { return focusTick_; }
    void raiseFocusTick();
    const std::optional<WorkspacePlan>& plan() const { return plan_; }
    const Rows& rows() const { return rows_; }
    const Clears& clears() const { return clears_; }
    const std::optional<ScreenCapture>& capture() const { return capture_; }
    const std::vector<Display>& displays() const { return displays_; }
    const Snapshots& snapshots() const { return snapshots_; }
    const QList<SavedWorkspace>& saved() const { return saved_; }
    int revealed() const { return revealed_; }
    // The text the current plan was asked for (or the saved workspace's name).
    const QString& plannedText() const { return plannedText_; }

    // ---- The owner's callbacks (replaced on every show) ----
    std::function<void()> onClose = [] {};
    std::function<void()> onAdjust = [] {};
    // An arrangement finished: its outcome, the name it was saved under, and
    // the display it was arranged on.
    std::function<void(const Outcome&, const std::optional<QString>& savedName, const Display& display)> onArranged =
        [](const Outcome&, const std::optional<QString>&, const Display&) {};

    // ---- Operations ----
    // Resets the bar and reads the capture, displays, snapshots and saved list.
    void prepare();
    // Return: plans, or arranges an unchanged preview.
    void submit();
    // Starts planning the typed text (the `plan` operation; the name `plan()`
    // reads the plan being shown).
    void startPlanning();
    // Matches a plan against the capture and previews it.
    void show(const WorkspacePlan& plan);
    // Turns a saved workspace into a previewed plan.
    void open(const SavedWorkspace& workspace);
    // The text was edited: a failure or a stale preview goes back to asking.
    void textChanged();
    // Opens the adjust overlay (preview only).
    void adjust();
    // Swaps two rows (the overlay's drop); ignores equal or outside indices.
    void swap(int i, int j);
    void swapRows(int i, int j);
    // Hands the plan to the runner (preview or adjusting only).
    void arrange(bool save);
    // The layout's unit rectangles for the current rows; empty without a plan
    // or a capture.
    std::vector<UnitRect> adjustRects() const;

    // Escape, and the buttons that leave for Settings: stop the running task.
    void cancelTask() { task_.cancel(); }

    // What the bar works with; the window manager is where captures and
    // previews are read, and the gap zones keep.
    const CommandBarServices& services() const { return s_; }
    CommandBarRunner& runner() const { return s_.runner; }
    WindowManager& windows() const { return s_.windows; }

    // The target display's capture: the focused window's display, else the
    // first; none without a screen.
    std::optional<ScreenCapture> buildCapture() const;

signals:
    void textUpdated();
    void phaseChanged();
    void focusTickChanged();
    void planChanged();
    void rowsChanged();
    void clearsChanged();
    void captureChanged();
    void displaysChanged();
    void snapshotsChanged();
    void savedChanged();
    void revealedChanged();
    // Two rows traded places (the views animate it).
    void rowsSwapped(int i, int j);

private:
    void setRevealed(int revealed);
    void setCapture(std::optional<ScreenCapture> capture);
    void startReveal();
    static QCoro::Task<> revealRows(QPointer<CommandBarModel> self, int count, CancelToken token);
    void finishArrange(const Outcome& outcome, const std::optional<QString>& savedName, const WorkspacePlan& plan,
                       const Display& display, std::uint64_t generation);
    Snapshots readSnapshots(const std::vector<Display>& displays) const;

    CommandBarServices s_;

    QString text_;
    Phase phase_;
    int focusTick_ = 0;
    std::optional<WorkspacePlan> plan_;
    Rows rows_;
    Clears clears_;
    std::optional<ScreenCapture> capture_;
    std::vector<Display> displays_;
    Snapshots snapshots_;
    QList<SavedWorkspace> saved_;
    int revealed_ = 0;
    TaskHandle task_;
    QString plannedText_;
    // Counts `prepare()` calls: an arrangement that finishes after the bar
    // was opened again must not close or overwrite the new bar.
    std::uint64_t generation_ = 0;
};

} // namespace tavrin
