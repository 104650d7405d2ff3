#include "commandbar/commandbarmodel.h"

#include "commandbar/commandbarplanner.h"
#include "commandbar/commandbarrunner.h"
#include "platform/accessibility.h"
#include "platform/clock.h"
#include "windows/axactionscope.h"
#include "windows/layoutkind.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspace.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/earlieritems.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/textcut.h"
#include "workspaces/windowcontent.h"

#include <QPointer>
#include <QUuid>
#include <algorithm>

namespace tavrin {

namespace {

// Tasks take everything by value: the model may be gone when they resume.

QCoro::Task<> planTask(QPointer<CommandBarModel> self, CommandBarPlanner* planner, ScreenCapture capture, QString text,
                       CancelToken token)
{
    PlanRequest request = co_await capture.planRequest(text);
    PlannerResult<WorkspacePlan> result = co_await planner->plan(std::move(request));
    if (!self || token.isCancelled())
        co_return;
    if (result.ok())
        self->show(result.value());
    else
        self->setPhase(CommandBarPhase::failed(result.error().localizedDescription(), true));
}

QCoro::Task<> openTask(QPointer<CommandBarModel> self, SavedWorkspace workspace, ScreenCapture capture,
                       CancelToken token)
{
    const bool hasAddress = workspace.items
                            && std::any_of(workspace.items->begin(), workspace.items->end(),
                                           [](const SavedItem& item) { return item.url.has_value(); });
    // Not a conditional expression: GCC 12 frees a co_await result inside
    // one too early.
    PlanRequest request;
    if (hasAddress)
        request = co_await capture.planRequest(workspace.request);
    else
        request = capture.planRequest(workspace.request, BrowserTabMap());
    // Which open windows are the saved ones: what they show.
    QList<SavedItem> shown;
    if (workspace.items && std::any_of(workspace.items->begin(), workspace.items->end(), [](const SavedItem& i) {
            return i.url || i.title;
        })) {
        QSet<QString> apps;
        for (const SavedItem& item : *workspace.items)
            apps.insert(item.app);
        shown = co_await capture.shown(apps);
    }
    if (!self || token.isCancelled())
        co_return;
    self->show(workspace.plan(request.windows, shown));
}

QCoro::Task<QList<SavedItem>> captureItems(std::vector<AXWindow> windows, WindowContent::SaveContext save)
{
    if (WindowContent* content = WindowContent::installed())
        co_return co_await content->capture(std::move(windows), std::move(save));
    QList<SavedItem> items;
    for (const AXWindow& w : windows)
        items.append(SavedItem{ScreenCapture::appName(w.app), std::nullopt, std::nullopt});
    co_return items;
}

} // namespace

CommandBarModel::CommandBarModel(CommandBarServices services, QObject* parent) : QObject(parent), s_(services) {}

CommandBarModel::~CommandBarModel() = default;

// ---- Published state ----

void CommandBarModel::setText(const QString& text)
{
    const QString cut = firstCharacters(text, kMaxTextLength);
    if (cut == text_)
        return;
    text_ = cut;
    emit textUpdated();
}

void CommandBarModel::setPhase(const Phase& phase)
{
    const bool same = phase == phase_ && phase.fromPlanner == phase_.fromPlanner;
    phase_ = phase;
    if (!same)
        emit phaseChanged();
}

void CommandBarModel::raiseFocusTick()
{
    ++focusTick_;
    emit focusTickChanged();
}

void CommandBarModel::setRevealed(int revealed)
{
    if (revealed == revealed_)
        return;
    revealed_ = revealed;
    emit revealedChanged();
}

void CommandBarModel::setCapture(std::optional<ScreenCapture> capture)
{
    capture_ = std::move(capture);
    emit captureChanged();
}

// ---- Capture and snapshots ----

std::optional<ScreenCapture> CommandBarModel::buildCapture() const
{
    const auto display = s_.windows.focusedContext();
    if (!display)
        return std::nullopt;
    return ScreenCapture::of(*display);
}

CommandBarModel::Snapshots CommandBarModel::readSnapshots(const std::vector<Display>& displays) const
{
    return s_.windows.snapshots(displays);
}

// ---- Operations ----

void CommandBarModel::prepare()
{
    ++generation_;
    task_.cancel();
    setText(QString());
    plannedText_.clear();
    setPhase(Phase::asking());
    plan_.reset();
    emit planChanged();
    rows_.clear();
    emit rowsChanged();
    setRevealed(0);

    setCapture(buildCapture());

    displays_ = Display::all();
    if (capture_) {
        const auto it = std::find_if(displays_.begin(), displays_.end(),
                                     [&](const Display& d) { return d.id == capture_->display.id; });
        if (it != displays_.end())
            std::rotate(displays_.begin(), it, it + 1);
    }
    emit displaysChanged();

    snapshots_ = readSnapshots(displays_);
    emit snapshotsChanged();

    saved_ = SavedWorkspaceStore::load();
    emit savedChanged();
}

void CommandBarModel::submit()
{
    switch (phase_.kind) {
    case Phase::Kind::thinking:
    case Phase::Kind::adjusting:
    case Phase::Kind::arranging: return;
    case Phase::Kind::preview:
        if (text_ == plannedText_)
            arrange(false);
        else
            startPlanning();
        return;
    case Phase::Kind::asking:
    case Phase::Kind::failed: startPlanning(); return;
    }
}

void CommandBarModel::startPlanning()
{
    const QString trimmed = text_.trimmed();
    if (trimmed.isEmpty())
        return;
    if (!s_.accessibility.isTrusted()) {
        setPhase(Phase::failed(kNeedsTrustMessage));
        return;
    }
    std::optional<ScreenCapture> capture = capture_ ? capture_ : buildCapture();
    if (!capture) {
        setPhase(Phase::failed(kNoDisplayMessage));
        return;
    }
    setCapture(std::move(capture));
    plannedText_ = text_;
    setPhase(Phase::thinking());
    task_.start([self = QPointer(this), planner = &s_.planner, capture = *capture_, trimmed](CancelToken token) {
        return planTask(self, planner, capture, trimmed, token);
    });
}

void CommandBarModel::show(const WorkspacePlan& plan)
{
    if (!capture_)
        return;
    Rows rows = WorkspaceRunner::rows(plan, *capture_);
    Clears clears = WorkspaceRunner::clears(plan, *capture_);
    if (rows.empty() && clears.empty()) {
        setPhase(Phase::failed(kNoMatchMessage));
        return;
    }
    plan_ = plan;
    emit planChanged();
    rows_ = std::move(rows);
    emit rowsChanged();
    clears_ = std::move(clears);
    emit clearsChanged();
    setRevealed(0);
    setPhase(Phase::preview());
    startReveal();
}

QCoro::Task<> CommandBarModel::revealRows(QPointer<CommandBarModel> self, int count, CancelToken token)
{
    Clock& clock = self->s_.clock;
    for (int k = 1; k <= count; ++k) {
        co_await clock.sleep(k == 1 ? kFirstRevealDelay : kRevealInterval, token);
        if (!self || token.isCancelled())
            co_return;
        self->setRevealed(k);
    }
}

void CommandBarModel::startReveal()
{
    const int count = std::max<int>(int(rows_.size()), 1);
    task_.replace([self = QPointer(this), count](CancelToken token) { return revealRows(self, count, token); });
}

void CommandBarModel::open(const SavedWorkspace& workspace)
{
    std::optional<ScreenCapture> capture = capture_ ? capture_ : buildCapture();
    if (!capture)
        return;
    setCapture(std::move(capture));
    setText(workspace.name);
    plannedText_ = text_;
    setPhase(Phase::thinking());
    task_.start([self = QPointer(this), workspace, capture = *capture_](CancelToken token) {
        return openTask(self, workspace, capture, token);
    });
}

void CommandBarModel::textChanged()
{
    if (phase_.is(Phase::Kind::failed))
        setPhase(Phase::asking());
    if (phase_.is(Phase::Kind::preview) && text_ != plannedText_)
        setPhase(Phase::asking());
}

void CommandBarModel::adjust()
{
    if (!phase_.is(Phase::Kind::preview))
        return;
    setRevealed(int(rows_.size()));
    setPhase(Phase::adjusting());
    onAdjust();
}

void CommandBarModel::swap(int i, int j)
{
    const int n = int(rows_.size());
    if (i < 0 || j < 0 || i >= n || j >= n || i == j)
        return;
    swapRows(i, j);
    emit rowsSwapped(i, j);
}

void CommandBarModel::swapRows(int i, int j)
{
    const int n = int(rows_.size());
    if (i == j || i < 0 || j < 0 || i >= n || j >= n)
        return;
    std::swap(rows_[std::size_t(i)], rows_[std::size_t(j)]);
    emit rowsChanged();
}

std::vector<UnitRect> CommandBarModel::adjustRects() const
{
    if (!plan_ || !capture_)
        return {};
    return rects(plan_->layout, int(rows_.size()), aspectOf(capture_->display.area));
}

namespace {
QCoro::Task<> arrangeTask(QPointer<CommandBarModel> self, CommandBarServices s, CommandBarModel::Rows rows,
                          CommandBarModel::Clears clears, WorkspacePlan plan, Display display,
                          std::optional<QString> saveName, QString plannedText,
                          std::function<void(const WorkspaceRunner::Outcome&, std::optional<QString>)> finish,
                          CancelToken token)
{
    // Never checks for cancellation: an arrangement always finishes.
    WorkspaceRunner::Outcome outcome =
        co_await s.runner.arrange(std::move(rows), std::move(clears), plan.layout, display);
    if (!self)
        co_return;
    std::optional<QString> savedName;
    if (saveName && outcome.arranged >= 1) {
        // A window read empty (its browser has not yet written it) keeps
        // what the workspace this one replaces held; cancelling the task
        // (Escape, the bar opened again) ends the wait for the browsers, not
        // the save.
        WindowContent::SaveContext save{{}, token};
        for (const SavedWorkspace& w : SavedWorkspaceStore::load())
            if (w.name.compare(*saveName, Qt::CaseInsensitive) == 0 && w.items) {
                save.earlier = *w.items;
                break;
            }
        const QList<SavedItem> earlier = save.earlier;
        QList<SavedItem> items = co_await captureItems(outcome.windows, std::move(save));
        // A saved workspace saved again keeps the windows that could not be
        // brought back this time (a program that did not start): nobody
        // asked to drop them.
        if (plan.fromSavedWorkspace)
            items += EarlierItems::missing(items, earlier)
                         .mid(0, std::max<qsizetype>(0, SavedWorkspace::kMaxWindows - items.size()));
        SavedWorkspace workspace;
        workspace.name = *saveName;
        workspace.request = plannedText;
        workspace.layout = plan.layout;
        for (const SavedItem& item : items)
            workspace.apps.append(item.app);
        workspace.savedAt = s.clock.nowDate();
        workspace.items = items;
        SavedWorkspaceStore::save(workspace);
        savedName = saveName;
        if (!self)
            co_return;
    }
    finish(outcome, savedName);
}
} // namespace

void CommandBarModel::arrange(bool save)
{
    if (!plan_ || !capture_)
        return;
    if (!phase_.is(Phase::Kind::preview) && !phase_.is(Phase::Kind::adjusting))
        return;
    setPhase(Phase::arranging());
    std::optional<QString> saveName;
    if (save && !rows_.empty())
        saveName = plan_->workspaceName;
    s_.runner.pauseAutoArrange(kAutoArrangePause);

    const WorkspacePlan plan = *plan_;
    const Display display = capture_->display;
    const QString plannedText = plannedText_;
    const std::uint64_t generation = generation_;
    QPointer self(this);
    auto finish = [self, plan, display, generation](const Outcome& outcome, std::optional<QString> savedName) {
        if (self)
            self->finishArrange(outcome, savedName, plan, display, generation);
    };
    task_.replace([self, s = s_, rows = rows_, clears = clears_, plan, display, saveName, plannedText,
                   finish](CancelToken token) {
        return arrangeTask(self, s, rows, clears, plan, display, saveName, plannedText, finish, token);
    });
}

void CommandBarModel::finishArrange(const Outcome& outcome, const std::optional<QString>& savedName,
                                    const WorkspacePlan& plan, const Display& display, std::uint64_t generation)
{
    // Opened again meanwhile: the new bar is left alone; what was arranged is
    // still recorded and reported.
    const bool current = generation == generation_;
    if (outcome.arranged == 0) {
        if (outcome.problem) {
            if (current)
                setPhase(Phase::arrangingFailed(*outcome.problem));
            return;
        }
        if (current)
            onClose();
        onArranged(outcome, std::nullopt, display);
        return;
    }
    s_.active.set(ActiveWorkspace{plan.workspaceName, outcome.arranged, s_.clock.nowDate(), display.id});
    if (current)
        onClose();
    onArranged(outcome, savedName, display);
}

} // namespace tavrin
