#include "commandbarfakes.h"
#include "support/commandbargraph.h"
#include "support/simfixture.h"
#include "support/workspacefakes.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using testing::FakePlanner;
using testing::FakeRunner;
using testing::planFor;
using Kind = CommandBarPhase::Kind;

const QString kTask = QStringLiteral("Put the editor and the browser side by side");
const QString kEditor = QStringLiteral("Visual Studio Code");
const QString kBrowser = QStringLiteral("Safari");

class CommandBarModelTest : public SimTest {
protected:
    void SetUp() override
    {
        model.onClose = [this] { ++closed; };
        model.onAdjust = [this] { ++adjusted; };
        model.onArranged = [this](const CommandBarModel::Outcome& o, const std::optional<QString>& name,
                                  const Display& display) {
            arranged.push_back({o, name, display});
        };
        runner.outcome.arranged = 2;
    }

    void type(const QString& text)
    {
        model.setText(text);
        model.textChanged();
    }
    WorkspacePlan editorAndBrowser() const { return planFor(*model.capture(), {kEditor, kBrowser}); }
    // Opens the bar, types the task and lets the planner answer with `plan`.
    void previewOf(const std::function<WorkspacePlan()>& plan)
    {
        model.prepare();
        planner.answerWith(plan());
        type(kTask);
        model.submit();
        env.clock.advance(planner.delay);
    }
    void preview()
    {
        previewOf([this] { return editorAndBrowser(); });
    }

    struct Arranged {
        CommandBarModel::Outcome outcome;
        std::optional<QString> name;
        Display display;
    };

    FakePlanner planner;
    FakeRunner runner;
    WindowManager windows;
    CommandBarGraph graph{windows};
    CommandBarModel model{graph.services(planner, runner)};
    int closed = 0;
    int adjusted = 0;
    std::vector<Arranged> arranged;
};

// ---- Opening ----

TEST_F(CommandBarModelTest, PrepareCapturesTheFocusedDisplayAndPutsItFirst)
{
    // The editor in front lies on the ultrawide display.
    model.prepare();
    ASSERT_TRUE(model.capture());
    EXPECT_EQ(model.capture()->display.id, 1u);
    EXPECT_EQ(model.capture()->request.name, QStringLiteral("UltraWide 34"));
    EXPECT_FALSE(model.capture()->windows.empty());
    ASSERT_EQ(model.displays().size(), 2u);
    EXPECT_EQ(model.displays()[0].id, 1u);

    // With Slack (on the built-in display) in front, that display leads.
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    model.prepare();
    EXPECT_EQ(model.capture()->display.id, 2u);
    EXPECT_EQ(model.displays()[0].id, 2u);
    EXPECT_EQ(model.displays()[1].id, 1u);
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
}

TEST_F(CommandBarModelTest, SnapshotsListEachDisplaysWindowsBackToFront)
{
    model.prepare();
    const auto& ultrawide = model.snapshots().value(1);
    const auto& builtIn = model.snapshots().value(2);
    ASSERT_FALSE(ultrawide.empty());
    ASSERT_FALSE(builtIn.empty());
    // The focused editor is the front-most window: last in the list, marked.
    EXPECT_EQ(ultrawide.back().appName, kEditor);
    EXPECT_TRUE(ultrawide.back().isFocused);
    EXPECT_EQ(std::count_if(ultrawide.begin(), ultrawide.end(), [](const WindowSnapshot& s) { return s.isFocused; }),
              1);
    for (const WindowSnapshot& s : builtIn)
        EXPECT_FALSE(s.isFocused);
    EXPECT_EQ(ultrawide.back().title, QStringLiteral("main.cpp — tavrin"));
    // Unit rectangles are fractions of their own display.
    EXPECT_NEAR(ultrawide.back().unit.x, 1100.0 / 3440, 0.01);
}

TEST_F(CommandBarModelTest, WithoutTrustTheCaptureIsBuiltButSnapshotsAreEmpty)
{
    env.desktop.setTrusted(false);
    model.prepare();
    EXPECT_TRUE(model.capture());
    EXPECT_TRUE(model.snapshots().value(1).empty());
    EXPECT_TRUE(model.snapshots().value(2).empty());

    type(kTask);
    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::failed(CommandBarModel::kNeedsTrustMessage));
    EXPECT_FALSE(model.phase().fromPlanner);
    EXPECT_TRUE(planner.requests.isEmpty());
}

TEST_F(CommandBarModelTest, WithoutAScreenNothingIsCapturedAndPlanningSaysSo)
{
    env.desktop.setDisplays({});
    model.prepare();
    EXPECT_FALSE(model.capture());
    EXPECT_TRUE(model.displays().empty());
    EXPECT_TRUE(model.snapshots().isEmpty());

    type(kTask);
    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::failed(CommandBarModel::kNoDisplayMessage));

    // Accessibility comes first.
    env.desktop.setTrusted(false);
    type(kTask + QStringLiteral(" "));
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::failed(CommandBarModel::kNeedsTrustMessage));

    // Opening a saved workspace without a display does nothing at all.
    model.prepare();
    SavedWorkspace saved;
    saved.name = QStringLiteral("Deep work");
    model.open(saved);
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
    EXPECT_TRUE(model.text().isEmpty());
}

TEST_F(CommandBarModelTest, PrepareResetsTheBarAndLoadsTheSavedWorkspaces)
{
    SavedWorkspace saved;
    saved.name = QStringLiteral("Deep work");
    saved.layout = LayoutKind::halves;
    saved.apps = {kEditor};
    saved.savedAt = env.clock.nowDate();
    SavedWorkspaceStore::save(saved);

    preview();
    ASSERT_EQ(model.phase(), CommandBarPhase::preview());
    model.prepare();
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
    EXPECT_TRUE(model.text().isEmpty());
    EXPECT_TRUE(model.plannedText().isEmpty());
    EXPECT_FALSE(model.plan());
    EXPECT_TRUE(model.rows().empty());
    EXPECT_EQ(model.revealed(), 0);
    ASSERT_EQ(model.saved().size(), 1);
    EXPECT_EQ(model.saved().front().name, QStringLiteral("Deep work"));
}

// ---- Planning ----

TEST_F(CommandBarModelTest, BlankTextDoesNothing)
{
    model.prepare();
    type(QStringLiteral("  \n\t \n"));
    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
    EXPECT_TRUE(planner.requests.isEmpty());
}

TEST_F(CommandBarModelTest, PlanningAsksWithTheTrimmedTextAndPreviewsTheMatchedRows)
{
    model.prepare();
    planner.answerWith(editorAndBrowser());
    type(QStringLiteral("  ") + kTask + QStringLiteral("\n"));
    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::thinking());
    EXPECT_EQ(model.plannedText(), QStringLiteral("  ") + kTask + QStringLiteral("\n"));
    ASSERT_EQ(planner.requests.size(), 1);
    EXPECT_EQ(planner.requests.front().request, kTask);
    EXPECT_EQ(planner.requests.front().display.name, QStringLiteral("UltraWide 34"));
    EXPECT_EQ(planner.requests.front().windows.size(), qsizetype(model.capture()->windows.size()));

    env.clock.advance(1.0);
    EXPECT_EQ(model.phase(), CommandBarPhase::preview());
    ASSERT_EQ(model.rows().size(), 2u);
    EXPECT_EQ(model.rows()[0].app, kEditor);
    EXPECT_EQ(model.rows()[1].app, kBrowser);
    EXPECT_TRUE(model.rows()[0].existing);
    EXPECT_EQ(model.plan()->workspaceName, QStringLiteral("Side by side"));
    const auto rects = model.adjustRects();
    EXPECT_EQ(rects, tavrin::rects(LayoutKind::halves, 2, 3440.0 / (1440 - 24 - 64)));
}

TEST_F(CommandBarModelTest, ReturnWhileThinkingIsIgnored)
{
    model.prepare();
    planner.answerWith(editorAndBrowser());
    type(kTask);
    model.submit();
    env.clock.advance(0.5);
    model.submit();
    model.submit();
    EXPECT_EQ(planner.requests.size(), 1);
    env.clock.advance(0.5);
    EXPECT_EQ(model.phase(), CommandBarPhase::preview());
    EXPECT_EQ(planner.answered, 1);
}

TEST_F(CommandBarModelTest, EscapeWhileThinkingDropsTheAnswer)
{
    model.prepare();
    planner.answerWith(editorAndBrowser());
    type(kTask);
    model.submit();
    env.clock.advance(0.5);
    model.cancelTask();
    model.onClose();
    env.clock.advance(1.0);
    EXPECT_EQ(planner.answered, 1);
    EXPECT_EQ(model.phase(), CommandBarPhase::thinking());
    EXPECT_FALSE(model.plan());
    model.prepare();
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
}

TEST_F(CommandBarModelTest, APlannerErrorFailsWithItsMessageAndKeepsThePreviousPlan)
{
    preview();
    const auto rowsBefore = model.rows().size();
    type(QStringLiteral("Something else"));
    planner.failWith(PlannerError::rejected(PlannerError::claudeRejectedMessage()));
    model.submit();
    env.clock.advance(1.0);
    EXPECT_EQ(model.phase(), CommandBarPhase::failed(PlannerError::claudeRejectedMessage()));
    EXPECT_TRUE(model.phase().fromPlanner);
    EXPECT_TRUE(model.plan());
    EXPECT_EQ(model.rows().size(), rowsBefore);

    // Editing the text after a failure goes back to asking.
    type(QStringLiteral("Something else!"));
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
}

TEST_F(CommandBarModelTest, APlanThatMatchesNothingFails)
{
    previewOf([] {
        WorkspacePlan plan;
        plan.workspaceName = QStringLiteral("Nothing");
        plan.layout = LayoutKind::halves;
        plan.why = QStringLiteral("none");
        plan.clear = QList<WorkspacePlan::Clear>{{999, ClearAction::quit}};
        return plan;
    });
    EXPECT_EQ(model.phase(), CommandBarPhase::failed(CommandBarModel::kNoMatchMessage));
    EXPECT_FALSE(model.phase().fromPlanner);
    EXPECT_FALSE(model.plan());
}

// ---- Revealing ----

TEST_F(CommandBarModelTest, FourRowsAreRevealedAt012Then02SecondSteps)
{
    previewOf([this] {
        return planFor(*model.capture(), {kEditor, kBrowser, QStringLiteral("Terminal"), QStringLiteral("Mail")},
                       LayoutKind::columns);
    });
    ASSERT_EQ(model.rows().size(), 4u);
    EXPECT_EQ(model.revealed(), 0);
    std::vector<int> seen;
    QObject::connect(&model, &CommandBarModel::revealedChanged, [&] { seen.push_back(model.revealed()); });
    const double shown = env.clock.monotonic();
    for (int k = 1; k <= 4; ++k) {
        const double due = shown + 0.12 + 0.2 * (k - 1);
        env.clock.advance(due - 0.003 - env.clock.monotonic());
        EXPECT_EQ(model.revealed(), k - 1) << "just before step " << k;
        env.clock.advance(0.006);
        EXPECT_EQ(model.revealed(), k) << "just after step " << k;
    }
    env.clock.advance(5);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(CommandBarModelTest, APlanWithOnlyClearsPreviewsAndRevealsOneStep)
{
    previewOf([this] {
        WorkspacePlan plan;
        plan.workspaceName = QStringLiteral("Quiet");
        plan.layout = LayoutKind::focusCentre;
        plan.why = QStringLiteral("Less noise.");
        plan.clear = QList<WorkspacePlan::Clear>{
            {testing::windowIndex(*model.capture(), QStringLiteral("Slack")), ClearAction::hide}};
        return plan;
    });
    EXPECT_EQ(model.phase(), CommandBarPhase::preview());
    EXPECT_TRUE(model.rows().empty());
    ASSERT_EQ(model.clears().size(), 1u);
    EXPECT_EQ(model.clears()[0].app, QStringLiteral("Slack"));
    env.clock.advance(0.121);
    EXPECT_EQ(model.revealed(), 1);

    // ⌘↵ with no rows: arranged, but there is no name to save under.
    model.arrange(true);
    env.clock.advance(runner.delay);
    ASSERT_EQ(arranged.size(), 1u);
    EXPECT_FALSE(arranged[0].name);
    EXPECT_TRUE(SavedWorkspaceStore::load().isEmpty());
}

TEST_F(CommandBarModelTest, OpeningTheBarAgainOrPlanningStopsTheReveal)
{
    preview();
    env.clock.advance(0.13);
    EXPECT_EQ(model.revealed(), 1);
    model.cancelTask(); // Escape
    env.clock.advance(1);
    EXPECT_EQ(model.revealed(), 1);

    preview();
    env.clock.advance(0.13);
    type(QStringLiteral("Another task"));
    model.submit(); // plans: the reveal is cancelled
    env.clock.advance(0.5);
    EXPECT_EQ(model.revealed(), 1);
    EXPECT_EQ(model.phase(), CommandBarPhase::thinking());
}

TEST_F(CommandBarModelTest, ArrangingLetsTheRevealRunOn)
{
    preview();
    env.clock.advance(0.13);
    EXPECT_EQ(model.revealed(), 1);
    runner.delay = 2;
    model.submit(); // unchanged text: arrange
    EXPECT_EQ(model.phase(), CommandBarPhase::arranging());
    env.clock.advance(0.25);
    EXPECT_EQ(model.revealed(), 2);
}

// ---- Editing, adjusting, swapping ----

TEST_F(CommandBarModelTest, EditingAPreviewAndTypingTheOldTextBackPlansAgain)
{
    preview();
    type(kTask + QStringLiteral("!"));
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
    type(kTask);
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::thinking());
    EXPECT_EQ(planner.requests.size(), 2);
    EXPECT_TRUE(runner.calls.empty());
}

TEST_F(CommandBarModelTest, AdjustOnlyFromThePreviewRevealsEveryRow)
{
    model.prepare();
    model.adjust();
    EXPECT_EQ(adjusted, 0);
    preview();
    EXPECT_EQ(model.revealed(), 0);
    model.adjust();
    EXPECT_EQ(model.phase(), CommandBarPhase::adjusting());
    EXPECT_EQ(model.revealed(), 2);
    EXPECT_EQ(adjusted, 1);
    model.adjust();
    EXPECT_EQ(adjusted, 1);
    // Return does nothing while the overlay is up; placing goes through arrange.
    model.submit();
    EXPECT_TRUE(runner.calls.empty());
}

TEST_F(CommandBarModelTest, SwapTradesTwoRowsAndIgnoresBadIndices)
{
    preview();
    const QUuid first = model.rows()[0].id;
    const QUuid second = model.rows()[1].id;
    int swaps = 0;
    QObject::connect(&model, &CommandBarModel::rowsSwapped, [&] { ++swaps; });
    for (auto [i, j] : {std::pair{0, 0}, {0, 2}, {-1, 1}, {2, 5}})
        model.swap(i, j);
    EXPECT_EQ(swaps, 0);
    EXPECT_EQ(model.rows()[0].id, first);
    model.swap(1, 0);
    EXPECT_EQ(swaps, 1);
    EXPECT_EQ(model.rows()[0].id, second);
    EXPECT_EQ(model.rows()[0].app, kBrowser);
    EXPECT_EQ(model.rows()[1].id, first);

    // The runner gets the swapped order: the browser takes the main slot.
    model.arrange(false);
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].rows[0].app, kBrowser);
    EXPECT_EQ(runner.calls[0].layout, LayoutKind::halves);
}

// ---- Arranging ----

TEST_F(CommandBarModelTest, ReturnInAnUnchangedPreviewArrangesWithoutSaving)
{
    const auto& pauses = runner.pauses;
    preview();
    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::arranging());
    ASSERT_EQ(pauses.size(), 1u);
    EXPECT_EQ(pauses[0].first, 8.0);
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_LE(pauses[0].second, runner.calls[0].at);
    EXPECT_EQ(runner.calls[0].display.id, 1u);

    // A second Return while arranging does nothing.
    model.submit();
    model.arrange(true);
    EXPECT_EQ(runner.calls.size(), 1u);

    env.clock.advance(runner.delay);
    EXPECT_EQ(closed, 1);
    ASSERT_EQ(arranged.size(), 1u);
    EXPECT_FALSE(arranged[0].name);
    EXPECT_EQ(arranged[0].outcome.arranged, 2);
    EXPECT_EQ(arranged[0].display.id, 1u);
    EXPECT_TRUE(SavedWorkspaceStore::load().isEmpty());
    const auto& active = graph.active.get();
    ASSERT_TRUE(active);
    EXPECT_EQ(active->name, QStringLiteral("Side by side"));
    EXPECT_EQ(active->windows, 2);
    EXPECT_EQ(active->displayID, 1u);
    // The phase stays arranging until the bar opens again.
    EXPECT_EQ(model.phase(), CommandBarPhase::arranging());
}

TEST_F(CommandBarModelTest, CommandReturnSavesUnderThePlansName)
{
    FakeWindowContent content;
    const Registration integrations = WindowContent::install(content);
    content.onCapture = [](std::vector<AXWindow> windows) -> QCoro::Task<QList<SavedItem>> {
        QList<SavedItem> items;
        for (const AXWindow& w : windows)
            items.append({ScreenCapture::appName(w.app), QStringLiteral("https://example.com/"), std::nullopt});
        co_return items;
    };
    preview();
    runner.outcome.windows = {model.rows()[0].existing.value(), model.rows()[1].existing.value()};
    model.arrange(true);
    env.clock.advance(runner.delay);
    ASSERT_EQ(arranged.size(), 1u);
    EXPECT_EQ(arranged[0].name, QStringLiteral("Side by side"));
    const auto saved = SavedWorkspaceStore::load();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0].name, QStringLiteral("Side by side"));
    EXPECT_EQ(saved[0].request, kTask);
    EXPECT_EQ(saved[0].layout, LayoutKind::halves);
    EXPECT_EQ(saved[0].apps, (QStringList{kEditor, kBrowser}));
    ASSERT_TRUE(saved[0].items);
    EXPECT_EQ(saved[0].items->at(0).url, QStringLiteral("https://example.com/"));
    EXPECT_FALSE(saved[0].automatic);
    EXPECT_EQ(saved[0].savedAt, env.clock.nowDate());
}

TEST_F(CommandBarModelTest, NothingArrangedWithAProblemKeepsTheBarOpenWithIt)
{
    preview();
    runner.outcome = {};
    runner.outcome.problem = QStringLiteral("None of the windows could be moved.");
    model.arrange(true);
    env.clock.advance(runner.delay);
    EXPECT_EQ(model.phase(), CommandBarPhase::failed(QStringLiteral("None of the windows could be moved.")));
    EXPECT_FALSE(model.phase().fromPlanner);
    // The plan was made: it is the arranging that failed.
    EXPECT_TRUE(model.phase().fromArranging);
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(arranged.empty());
    EXPECT_FALSE(graph.active.get());
    EXPECT_TRUE(SavedWorkspaceStore::load().isEmpty());
}

TEST_F(CommandBarModelTest, NothingArrangedWithoutAProblemClosesAndRecordsNothing)
{
    preview();
    runner.outcome = {};
    model.arrange(true);
    env.clock.advance(runner.delay);
    EXPECT_EQ(closed, 1);
    ASSERT_EQ(arranged.size(), 1u);
    EXPECT_FALSE(arranged[0].name);
    EXPECT_FALSE(graph.active.get());
    EXPECT_TRUE(SavedWorkspaceStore::load().isEmpty());
}

TEST_F(CommandBarModelTest, AnArrangementFinishingAfterTheBarReopenedLeavesTheNewBarAlone)
{
    preview();
    runner.delay = 2;
    model.arrange(true);
    env.clock.advance(1);
    model.prepare(); // the bar is shown again meanwhile
    type(QStringLiteral("Next task"));
    env.clock.advance(1);
    // What was arranged is still recorded and reported …
    ASSERT_EQ(arranged.size(), 1u);
    EXPECT_EQ(arranged[0].name, QStringLiteral("Side by side"));
    EXPECT_EQ(SavedWorkspaceStore::load().size(), 1);
    EXPECT_TRUE(graph.active.get());
    // … but the new bar is neither closed nor changed.
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
    EXPECT_EQ(model.text(), QStringLiteral("Next task"));

    // A problem that arrives late is not put over the new bar either.
    preview();
    runner.outcome = {};
    runner.outcome.problem = QStringLiteral("Nothing could be placed.");
    model.arrange(false);
    model.prepare();
    env.clock.advance(runner.delay);
    EXPECT_EQ(model.phase(), CommandBarPhase::asking());
}

// ---- Saved workspaces ----

TEST_F(CommandBarModelTest, OpeningASavedWorkspacePreviewsItAndReturnArrangesIt)
{
    SavedWorkspace saved;
    saved.name = QStringLiteral("Deep work");
    saved.request = QStringLiteral("Focus on the code");
    saved.layout = LayoutKind::halves;
    saved.apps = {kEditor, QStringLiteral("Terminal")};
    saved.savedAt = env.clock.nowDate();
    model.prepare();
    model.open(saved);
    EXPECT_EQ(model.text(), QStringLiteral("Deep work"));
    EXPECT_EQ(model.plannedText(), QStringLiteral("Deep work"));
    env.clock.runDue();
    EXPECT_EQ(model.phase(), CommandBarPhase::preview());
    ASSERT_EQ(model.rows().size(), 2u);
    EXPECT_EQ(model.rows()[0].app, kEditor);
    EXPECT_TRUE(model.plan()->why.startsWith(QStringLiteral("Your saved workspace from ")));
    EXPECT_TRUE(planner.requests.isEmpty());

    model.submit();
    EXPECT_EQ(model.phase(), CommandBarPhase::arranging());
    ASSERT_EQ(runner.calls.size(), 1u);
}

TEST_F(CommandBarModelTest, SavingASavedWorkspaceAgainKeepsTheWindowsThatDidNotComeBack)
{
    FakeWindowContent content;
    const Registration integrations = WindowContent::install(content);
    content.onCapture = [](std::vector<AXWindow> windows) -> QCoro::Task<QList<SavedItem>> {
        QList<SavedItem> items;
        for (const AXWindow& w : windows)
            items.append({ScreenCapture::appName(w.app), QStringLiteral("file:///src/app"), std::nullopt});
        co_return items;
    };
    SavedWorkspace saved;
    saved.name = QStringLiteral("Deep work");
    saved.request = QStringLiteral("Focus on the code");
    saved.layout = LayoutKind::halves;
    saved.apps = {kEditor, QStringLiteral("Terminal")};
    saved.items = QList<SavedItem>{{kEditor, std::nullopt, std::nullopt},
                                   {QStringLiteral("Terminal"), QStringLiteral("file:///src/logs"), std::nullopt}};
    saved.savedAt = env.clock.nowDate();
    SavedWorkspaceStore::save(saved);
    model.prepare();
    model.open(saved);
    env.clock.runDue();
    ASSERT_EQ(model.phase(), CommandBarPhase::preview());
    // The terminal did not start this time.
    runner.outcome.arranged = 1;
    runner.outcome.windows = {model.rows()[0].existing.value()};
    model.arrange(true);
    env.clock.advance(runner.delay);
    const auto stored = SavedWorkspaceStore::load();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].items,
              (QList<SavedItem>{{kEditor, QStringLiteral("file:///src/app"), std::nullopt}, saved.items->at(1)}));
    EXPECT_EQ(stored[0].apps, saved.apps);
}

TEST_F(CommandBarModelTest, OpeningASavedWorkspaceCancelsPlanning)
{
    model.prepare();
    planner.answerWith(editorAndBrowser());
    type(kTask);
    model.submit();
    SavedWorkspace saved;
    saved.name = QStringLiteral("Deep work");
    saved.apps = {QStringLiteral("Terminal")};
    saved.layout = LayoutKind::focusCentre;
    saved.savedAt = env.clock.nowDate();
    model.open(saved);
    env.clock.advance(2);
    EXPECT_EQ(model.phase(), CommandBarPhase::preview());
    ASSERT_EQ(model.rows().size(), 1u);
    EXPECT_EQ(model.rows()[0].app, QStringLiteral("Terminal"));
}

} // namespace
} // namespace tavrin
