#include "shellfixture.h"

#include "app/commandbaradapter.h"
#include "app/instanceservice.h"
#include "app/intents/applylayoutintent.h"
#include "app/intents/asktavrinintent.h"
#include "app/intents/intentclient.h"
#include "app/intents/intentservice.h"
#include "app/intents/layoutchoice.h"
#include "app/intents/resumeworkspaceintent.h"
#include "app/intents/startfocusintent.h"
#include "app/intents/stopfocusintent.h"
#include "app/intents/tavrinshortcuts.h"
#include "app/intents/workspacequery.h"
#include "support/loopbackserver.h"
#include "support/privatebus.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <future>

namespace tavrin {
namespace {

// Focus routines as the intents see them: starting picks the given routine,
// else the first one; a routine named "Deep work" hides two applications.
class IntentsTest : public ShellTest {
protected:
    struct Routines : RoutineControl {
        IntentsTest& test;
        explicit Routines(IntentsTest& t) : test(t) {}
        QList<RoutineEntity> routines() const override { return test.routines; }
        void start(std::optional<QUuid> id, int minutes) override
        {
            test.started << QStringLiteral("%1 %2")
                                .arg(id ? id->toString(QUuid::WithoutBraces) : QStringLiteral("none"))
                                .arg(minutes);
            test.running.reset();
            for (const RoutineEntity& r : test.routines)
                if (!id || r.id == *id) {
                    test.running = r;
                    break;
                }
        }
        std::optional<RoutineEntity> running() const override { return test.running; }
        QStringList hiddenApps() const override
        {
            return test.running && test.running->name == QLatin1String("Deep work") ? QStringList{"Slack", "Mail"}
                                                                                    : QStringList();
        }
        void stop() override
        {
            test.started << QStringLiteral("stop");
            test.running.reset();
        }
        void setEnabled(bool on) override { test.started << QStringLiteral("enabled %1").arg(on); }
        void setFocusFilter(std::optional<QUuid> id) override
        {
            test.started
                << QStringLiteral("filter %1").arg(id ? id->toString(QUuid::WithoutBraces) : QStringLiteral("none"));
        }
    };

    // The shell's state with these routines registered.
    std::unique_ptr<AppState> makeState()
    {
        auto state = ShellTest::makeState();
        registrations.push_back(state->setRoutines(focus));
        return state;
    }

    // Saves a workspace of these applications, newest first.
    void save(const QString& name, const QStringList& apps)
    {
        SavedWorkspace w;
        w.name = name;
        w.request = name;
        w.layout = LayoutKind::halves;
        w.apps = apps;
        w.savedAt = env.clock.nowDate();
        SavedWorkspaceStore::save(w);
    }

    // Runs an intent to its end on virtual time.
    IntentResult finish(QCoro::Task<IntentResult> task)
    {
        std::optional<IntentResult> result;
        auto keep = [](QCoro::Task<IntentResult> t, std::optional<IntentResult>* out) -> QCoro::Task<> {
            out->emplace(co_await std::move(t));
        };
        auto running = keep(std::move(task), &result);
        for (int i = 0; !result && i < 400; ++i)
            env.clock.advance(0.05);
        EXPECT_TRUE(result.has_value());
        return result.value_or(IntentResult{});
    }

    QString usualLayout() const
    {
        const auto display = windows.focusedContext();
        return env.defaults.string(WindowManager::usualLayoutKey(*display)).value_or(QString());
    }

    RoutineEntity deepWork{QUuid::createUuid(), QStringLiteral("Deep work")};
    RoutineEntity writing{QUuid::createUuid(), QStringLiteral("Writing")};
    QList<RoutineEntity> routines{deepWork, writing};
    std::optional<RoutineEntity> running;
    QStringList started;
    Routines focus{*this};
};

// ---- Layouts ----

TEST(LayoutChoiceTest, NamesAndKinds)
{
    EXPECT_EQ(layoutChoiceTypeName(), "Layout");
    QStringList shown;
    for (const LayoutChoice c : kAllLayoutChoices) {
        shown << displayName(c);
        EXPECT_EQ(name(layoutKind(c)), name(c));
        EXPECT_EQ(layoutChoiceFromText(name(c)), c);
    }
    EXPECT_EQ(shown, (QStringList{"Focus centre", "Halves", "Thirds", "Studio", "Stack", "Columns"}));
    EXPECT_EQ(layoutChoiceFromText("focus centre"), LayoutChoice::focusCentre);
    EXPECT_EQ(layoutChoiceFromText("THIRDS"), LayoutChoice::thirds);
    EXPECT_FALSE(layoutChoiceFromText("quarters"));
    EXPECT_FALSE(layoutChoiceFromText(""));
}

TEST_F(IntentsTest, ArrangeWindowsArrangesTheFocusedDisplayAndRemembersIt)
{
    const ApplyLayoutIntent intent{LayoutChoice::thirds};
    EXPECT_EQ(intent.parameterSummary(), "Arrange windows in Thirds");
    EXPECT_EQ(ApplyLayoutIntent{}.parameterSummary(), "Arrange windows in Focus centre");
    EXPECT_EQ(ApplyLayoutIntent::title(), "Arrange Windows");
    const Rect before = focused().frame;
    EXPECT_FALSE(intent.perform(windows).dialog);
    EXPECT_NE(focused().frame, before);
    EXPECT_EQ(usualLayout(), "thirds");
}

TEST_F(IntentsTest, ArrangeWindowsWithoutTrustAnswersNothingAndTheWindowManagerSaysWhy)
{
    env.desktop.setTrusted(false);
    EXPECT_FALSE(ApplyLayoutIntent{LayoutChoice::halves}.perform(windows).dialog);
    EXPECT_EQ(windows.lastMessage(), WindowManager::kNeedsTrustMessage);
}

// ---- Saved workspaces ----

TEST_F(IntentsTest, ResumingSaysHowManyWindowsCameBackAndNamesWhatDidNot)
{
    save(QStringLiteral("Shell work"), {"Terminal"});
    const ResumeWorkspaceIntent intent{WorkspaceEntity{QStringLiteral("Shell work")}};
    EXPECT_EQ(intent.parameterSummary(), "Resume Shell work");
    EXPECT_EQ(finish(intent.perform(runner)).dialog, "Arranged 1 window for Shell work.");
    EXPECT_EQ(env.window(QStringLiteral("tavrin — zsh — 120×36"))->frame.x, env.desktop.visibleFrame(0).x + 8);

    save(QStringLiteral("Writing"), {"Terminal", "Safari", "Not Installed Anywhere"});
    EXPECT_EQ(finish(ResumeWorkspaceIntent{WorkspaceEntity{QStringLiteral("Writing")}}.perform(runner)).dialog,
              "Arranged 2 windows for Writing. Couldn't open Not Installed Anywhere: it isn't installed.");
}

TEST_F(IntentsTest, ResumingAGoneWorkspaceArrangesNothing)
{
    save(QStringLiteral("Deep Work"), {"Terminal"});
    const Rect before = env.window(QStringLiteral("tavrin — zsh — 120×36"))->frame;
    // Names match exactly, case included.
    EXPECT_EQ(finish(ResumeWorkspaceIntent{WorkspaceEntity{QStringLiteral("deep work")}}.perform(runner)).dialog,
              "Tavrin doesn't have a workspace called deep work any more.");
    EXPECT_EQ(env.window(QStringLiteral("tavrin — zsh — 120×36"))->frame, before);
}

TEST_F(IntentsTest, ResumingWhenNothingCanBeFoundGivesTheProblemAlone)
{
    save(QStringLiteral("Empty"), {});
    EXPECT_EQ(finish(ResumeWorkspaceIntent{WorkspaceEntity{QStringLiteral("Empty")}}.perform(runner)).dialog,
              "None of the windows in this workspace could be found.");
    // Whatever the runner says, alone.
    save(QStringLiteral("Ghosts"), {"Not Installed Anywhere"});
    const auto dialog = finish(ResumeWorkspaceIntent{WorkspaceEntity{QStringLiteral("Ghosts")}}.perform(runner)).dialog;
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->startsWith(QStringLiteral("Arranged"))) << dialog->toStdString();
}

TEST_F(IntentsTest, TheWorkspaceQueryFollowsTheStore)
{
    save(QStringLiteral("Deep work"), {"Terminal"});
    save(QStringLiteral("Writing"), {"Safari"});
    save(QStringLiteral("deep dive"), {"Mail"});
    auto names = [](const QList<WorkspaceEntity>& entities) {
        QStringList out;
        for (const auto& e : entities)
            out << e.title();
        return out;
    };
    EXPECT_EQ(names(WorkspaceQuery::suggestedEntities()), (QStringList{"deep dive", "Writing", "Deep work"}));
    // In the store's order, not the order asked for; exact names only.
    EXPECT_EQ(names(WorkspaceQuery::entities(QStringList{"Deep work", "Writing", "writing"})),
              (QStringList{"Writing", "Deep work"}));
    EXPECT_EQ(names(WorkspaceQuery::entities(QStringLiteral("DEEP"))), (QStringList{"deep dive", "Deep work"}));
    EXPECT_TRUE(WorkspaceQuery::entities(QStringLiteral("reading")).isEmpty());
    EXPECT_EQ(WorkspaceEntity::typeDisplayName(), "Workspace");
}

// ---- Ask ----

TEST_F(IntentsTest, AskHandsTheRequestToTheCommandBar)
{
    auto state = makeState();
    const AskTavrinIntent intent{QStringLiteral("Write the report")};
    EXPECT_EQ(intent.parameterSummary(), "Ask Tavrin to Write the report");
    EXPECT_EQ(AskTavrinIntent::requestPrompt(), "What are you working on?");
    EXPECT_FALSE(intent.perform(*state).dialog);
    EXPECT_EQ(*bar, (QStringList{"show", "ask Write the report"}));
}

TEST_F(IntentsTest, AskingPlansTheRequestInTheRealCommandBar)
{
    AppState state{parts()};
    auto* adapter = dynamic_cast<CommandBarAdapter*>(&state.commandBar());
    ASSERT_NE(adapter, nullptr);
    CommandBarModel& model = adapter->controller().model();
    adapter->controller().show();
    model.setText(QStringLiteral("something half typed"));

    AskTavrinIntent{QStringLiteral("Write the report")}.perform(state);
    EXPECT_TRUE(state.commandBar().isShowing());
    EXPECT_EQ(model.text(), "Write the report");
    // Planning started: with AI off it fails at once with the planner's message.
    env.clock.runDue();
    EXPECT_EQ(model.phase().kind, CommandBarPhase::Kind::failed);
    EXPECT_EQ(model.phase().message, "Turn on AI in Settings › AI to describe tasks in plain English.");

    // The shortcut hides the bar and leaves the model as it is.
    state.perform(ShortcutAction::of(ShortcutAction::Kind::commandBar));
    EXPECT_FALSE(state.commandBar().isShowing());
    EXPECT_EQ(model.text(), "Write the report");
    state.perform(ShortcutAction::of(ShortcutAction::Kind::commandBar));
    EXPECT_TRUE(state.commandBar().isShowing());
    EXPECT_TRUE(model.text().isEmpty()); // shown afresh
    adapter->controller().hide();
}

// ---- Focus ----

TEST_F(IntentsTest, StartFocusSaysWhatRunsAndWhatItHid)
{
    StartFocusIntent intent;
    EXPECT_EQ(intent.minutes, 60);
    EXPECT_EQ(intent.perform(&focus).dialog, "Deep work is on for 60 minutes. Hid Slack, Mail.");
    EXPECT_EQ(started, QStringList{"none 60"});

    intent.routine = writing;
    intent.minutes = 25;
    EXPECT_EQ(intent.parameterSummary(), "Start Writing for 25 minutes");
    EXPECT_EQ(intent.perform(&focus).dialog, "Writing is on for 25 minutes.");
}

TEST_F(IntentsTest, ADeletedRoutineCountsAsNone)
{
    StartFocusIntent intent;
    intent.routine = RoutineEntity{QUuid::createUuid(), QStringLiteral("Gone")};
    EXPECT_EQ(intent.perform(&focus).dialog, "Deep work is on for 60 minutes. Hid Slack, Mail.");
    EXPECT_EQ(started, QStringList{"none 60"});
}

TEST_F(IntentsTest, WithoutRoutinesThereIsNothingToStart)
{
    routines.clear();
    EXPECT_EQ(StartFocusIntent{}.perform(&focus).dialog, "Make a Focus routine in Tavrin's Settings first.");
    EXPECT_EQ(StartFocusIntent{}.perform(nullptr).dialog, "Make a Focus routine in Tavrin's Settings first.");
    EXPECT_FALSE(StopFocusIntent{}.perform(nullptr).dialog);
}

TEST_F(IntentsTest, StopFocusStopsTheRoutine)
{
    StartFocusIntent{}.perform(&focus);
    EXPECT_FALSE(StopFocusIntent{}.perform(&focus).dialog);
    EXPECT_EQ(started.last(), "stop");
    EXPECT_FALSE(running);
    EXPECT_EQ(StopFocusIntent::title(), "Stop Focus");
}

// ---- The shortcuts ----

TEST(TavrinShortcutsTest, PhrasesTitlesAndImagesInOrder)
{
    const auto& all = TavrinShortcuts::appShortcuts();
    ASSERT_EQ(all.size(), 5);
    QStringList titles, images, intents;
    for (const AppShortcut& s : all) {
        titles << s.shortTitle;
        images << s.systemImageName;
        intents << s.intent;
        for (const QString& phrase : s.phrases)
            EXPECT_TRUE(phrase.contains(TavrinShortcuts::kApplicationName)) << phrase.toStdString();
    }
    EXPECT_EQ(intents, (QStringList{"ApplyLayoutIntent", "ResumeWorkspaceIntent", "AskTavrinIntent", "StartFocusIntent",
                                    "StopFocusIntent"}));
    EXPECT_EQ(titles, (QStringList{"Arrange Windows", "Resume Workspace", "Ask Tavrin", "Start Focus", "Stop Focus"}));
    EXPECT_EQ(images, (QStringList{"rectangle.3.group", "clock.arrow.circlepath", "sparkles", "scope", "scope"}));
    EXPECT_EQ(TavrinShortcuts::spoken(all[0].phrases[0]), "Arrange windows in <layout> with Tavrin");
    EXPECT_EQ(TavrinShortcuts::spoken(all[0].phrases[1]), "Tavrin <layout>");
    EXPECT_EQ(all[3].phrases.size(), 3);
    EXPECT_EQ(TavrinShortcuts::spoken(all[4].phrases[0]), "Stop focus with Tavrin");

    const QString help = IntentClient::help();
    // Commands only: no phrases for a voice assistant this desktop lacks.
    EXPECT_FALSE(help.contains("phrases")) << help.toStdString();
    for (const AppShortcut& s : all) {
        EXPECT_TRUE(help.contains(s.command));
        EXPECT_FALSE(help.contains(s.systemImageName)) << s.systemImageName.toStdString();
        for (const QString& phrase : s.phrases)
            EXPECT_FALSE(help.contains('"' + TavrinShortcuts::spoken(phrase) + '"'));
    }
}

// ---- The command line ----

TEST(IntentCommandLine, ReadsEachIntent)
{
    QString error;
    auto call = IntentClient::parse({"apply-layout", "thirds"}, &error);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->method, "ApplyLayout");
    EXPECT_EQ(call->arguments, QVariantList{"thirds"});
    EXPECT_EQ(IntentClient::parse({"apply-layout", "Focus centre"}, &error)->arguments, QVariantList{"focusCentre"});
    EXPECT_EQ(IntentClient::parse({"resume", "Deep work"}, &error)->arguments, QVariantList{"Deep work"});
    EXPECT_EQ(IntentClient::parse({"ask", "Plan", "the", "launch"}, &error)->arguments,
              QVariantList{"Plan the launch"});
    EXPECT_EQ(IntentClient::parse({"start-focus"}, &error)->arguments, (QVariantList{"", 60}));
    EXPECT_EQ(IntentClient::parse({"start-focus", "45"}, &error)->arguments, (QVariantList{"", 45}));
    EXPECT_EQ(IntentClient::parse({"start-focus", "Writing"}, &error)->arguments, (QVariantList{"Writing", 60}));
    EXPECT_EQ(IntentClient::parse({"start-focus", "Writing", "480"}, &error)->arguments,
              (QVariantList{"Writing", 480}));
    EXPECT_EQ(IntentClient::parse({"stop-focus"}, &error)->method, "StopFocus");
    bool help = false;
    EXPECT_FALSE(IntentClient::parse({"--help"}, &error, &help));
    EXPECT_TRUE(help);
}

TEST(IntentCommandLine, WrongArgumentsGiveOneClearLine)
{
    auto errorOf = [](const QStringList& words) {
        QString error;
        EXPECT_FALSE(IntentClient::parse(words, &error));
        return error;
    };
    EXPECT_EQ(errorOf({"apply-layout", "quarters"}),
              "Unknown layout \"quarters\": use focusCentre, halves, thirds, studio, stack or columns.");
    EXPECT_EQ(errorOf({"apply-layout"}), "apply-layout needs a layout.");
    EXPECT_EQ(errorOf({"apply-layout", "thirds", "now"}), "Unexpected argument \"now\".");
    const QString minutes = "Minutes must be a whole number from 5 to 480.";
    EXPECT_EQ(errorOf({"start-focus", "4"}), minutes);
    EXPECT_EQ(errorOf({"start-focus", "481"}), minutes);
    EXPECT_EQ(errorOf({"start-focus", "Writing", "ten"}), minutes);
    EXPECT_EQ(errorOf({"start-focus", "Writing", "99999999999"}), minutes);
    EXPECT_EQ(errorOf({"start-focus", "-5"}), minutes);
    EXPECT_EQ(errorOf({"ask"}), "ask needs a request: What are you working on?");
    EXPECT_EQ(errorOf({"ask", "  "}), "ask needs a request: What are you working on?");
    EXPECT_EQ(errorOf({"resume", ""}), "resume needs the name of a saved workspace.");
    EXPECT_EQ(errorOf({"resume", " "}), "resume needs the name of a saved workspace.");
    EXPECT_EQ(errorOf({"stop-focus", "now"}), "Unexpected argument \"now\".");
    EXPECT_EQ(errorOf({"dance"}), "Unknown intent \"dance\"; see tavrin intent --help.");
    EXPECT_EQ(errorOf({}), "intent needs a command; see tavrin intent --help.");
}

TEST_F(IntentsTest, ErrorLinesRepeatAtMost200CharactersWithControlAndDirectionCharactersReplaced)
{
    auto errorOf = [](const QStringList& words) {
        QString error;
        EXPECT_FALSE(IntentClient::parse(words, &error));
        return error;
    };
    const QString bad = QStringLiteral("x\x1b[2J\a\u202Ey\u2066");
    const QString shown = QStringLiteral("x\uFFFD[2J\uFFFD\uFFFDy\uFFFD");
    EXPECT_EQ(errorOf({bad}), "Unknown intent \"" + shown + "\"; see tavrin intent --help.");
    EXPECT_EQ(errorOf({"stop-focus", bad}), "Unexpected argument \"" + shown + "\".");
    EXPECT_EQ(errorOf({"apply-layout", bad}).left(20), "Unknown layout \"" + shown.left(4));
    const QString cut = errorOf({"stop-focus", QString(131072, u'a')});
    EXPECT_EQ(cut, "Unexpected argument \"" + QString(200, u'a') + QChar(0x2026) + "\".");
    EXPECT_EQ(finish(ResumeWorkspaceIntent{WorkspaceEntity{bad}}.perform(runner)).dialog,
              "Tavrin doesn't have a workspace called " + shown + " any more.");
}

// ---- Over the bus ----

// The settings file the service here answers for.
const QString kSettings = QStringLiteral("/home/someone/.config/tavrin/defaults.plist");

class IntentBusTest : public IntentsTest {
protected:
    void SetUp() override
    {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
        serviceSide = bus.connect(QStringLiteral("intents-service"));
        clientSide = bus.connect(QStringLiteral("intents-client"));
    }

    IntentClient::Outcome run(const QStringList& words)
    {
        return IntentClient::run(words, clientSide, IntentService::serviceName(kSettings), 10000);
    }

    PrivateBus bus;
    QDBusConnection serviceSide{QString()};
    QDBusConnection clientSide{QString()};
};

TEST_F(IntentBusTest, NoRunningTavrinIsOneClearLine)
{
    const auto outcome = run({"apply-layout", "thirds"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "tavrin: Tavrin isn't running. Start it, then try again.");
    // Wrong arguments are told before the bus is asked.
    EXPECT_EQ(run({"apply-layout", "quarters"}).exitCode, 2);
    EXPECT_EQ(IntentClient::run({"stop-focus"}, QDBusConnection(QString()), IntentService::serviceName(kSettings), 1000)
                  .exitCode,
              1);
}

TEST_F(IntentBusTest, TheRunningInstanceAnswersEveryIntent)
{
    auto state = makeState();
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    QString problem;
    ASSERT_TRUE(service.publish(serviceSide, kSettings, &problem)) << problem.toStdString();

    const Rect before = focused().frame;
    auto outcome = run({"apply-layout", "thirds"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.isEmpty());
    EXPECT_NE(focused().frame, before);
    EXPECT_EQ(usualLayout(), "thirds");

    outcome = run({"start-focus", "writing", "25"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, "Writing is on for 25 minutes.\n");
    outcome = run({"start-focus"});
    EXPECT_EQ(outcome.out, "Deep work is on for 60 minutes. Hid Slack, Mail.\n");

    EXPECT_EQ(run({"stop-focus"}).exitCode, 0);
    EXPECT_EQ(started.last(), "stop");

    // Asks that come together make one: the newest.
    const qsizetype asked = bar->size();
    EXPECT_EQ(run({"ask", "Plan", "the", "demo"}).exitCode, 0);
    EXPECT_EQ(run({"ask", "Plan", "the", "launch"}).exitCode, 0);
    EXPECT_EQ(bar->size(), asked);
    env.clock.advance(0);
    EXPECT_EQ(bar->mid(asked), (QStringList{"show", "ask Plan the launch"}));
}

// A name of nothing Tavrin has leaves it nothing to do: said on stderr, with
// the status of wrong arguments; an intent that ran exits 0, whatever its
// dialog says.
TEST_F(IntentBusTest, AnIntentNamingNothingTavrinHasExitsTwo)
{
    auto state = makeState();
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    ASSERT_TRUE(service.publish(serviceSide, kSettings));
    struct Case {
        QStringList words;
        QString err;
    };
    for (const Case& c :
         {Case{{"start-focus", "Reading"}, "tavrin: Tavrin has no routine called \"Reading\"."},
          Case{{"start-focus", "Reading", "25"}, "tavrin: Tavrin has no routine called \"Reading\"."},
          Case{{"focus-filter", "Reading"}, "tavrin: Tavrin has no routine called \"Reading\"."},
          Case{{"resume", "Gone"}, "tavrin: Tavrin doesn't have a workspace called Gone any more."},
          Case{{"start-focus", "Reading", "3"}, "tavrin: Minutes must be a whole number from 5 to 480."},
          Case{{"apply-layout", "nosuch"}, "tavrin: " + IntentService::unknownLayoutMessage("nosuch")}}) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        const auto outcome = run(c.words);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.err, c.err);
        EXPECT_TRUE(outcome.out.isEmpty());
    }
    EXPECT_TRUE(started.isEmpty()); // an unknown routine starts none, nor sets a filter
    const auto ran = run({"focus-filter", "writing"});
    EXPECT_EQ(ran.exitCode, 0);
    EXPECT_EQ(ran.out, "The Focus filter now names Writing.\n");
}

TEST_F(IntentBusTest, ResumingOverTheBusAnswersWhenTheRunnerIsDone)
{
    auto state = makeState();
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    ASSERT_TRUE(service.publish(serviceSide, kSettings));
    save(QStringLiteral("Shell work"), {"Terminal"});
    // The runner waits on virtual time: keep it moving while the client waits.
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [this] { env.clock.advance(0.1); });
    ticks.start(1);
    auto outcome = run({"resume", "Shell work"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, "Arranged 1 window for Shell work.\n");
    outcome = run({"resume", "Gone"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "tavrin: Tavrin doesn't have a workspace called Gone any more.");
}

TEST_F(IntentBusTest, TheServiceChecksItsArgumentsItself)
{
    auto state = makeState();
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    ASSERT_TRUE(service.publish(serviceSide, kSettings));
    auto call = [&](const QString& method, const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(IntentService::serviceName(kSettings),
                                                        IntentService::kObjectPath, IntentService::kInterface, method);
        m.setArguments(args);
        QDBusPendingCallWatcher watcher(clientSide.asyncCall(m, 10000));
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!watcher.isFinished())
            loop.exec();
        return watcher.reply();
    };
    auto reply = call(QStringLiteral("StartFocus"), {QString(), 3});
    EXPECT_EQ(reply.errorName(), IntentService::kInvalidArgument);
    EXPECT_EQ(reply.errorMessage(), "Minutes must be a whole number from 5 to 480.");
    reply = call(QStringLiteral("ApplyLayout"), {QStringLiteral("grid")});
    EXPECT_EQ(reply.errorName(), IntentService::kInvalidArgument);
    // A huge argument is repeated in part only.
    const QString huge = QString(199, u'a') + QStringLiteral("😀") + QString(10000, u'b');
    reply = call(QStringLiteral("ApplyLayout"), {huge});
    EXPECT_EQ(reply.errorName(), IntentService::kInvalidArgument);
    EXPECT_TRUE(reply.errorMessage().startsWith("Unknown layout \"" + QString(199, u'a') + QChar(0x2026) + "\""))
        << reply.errorMessage().left(300).toStdString();
    EXPECT_LT(reply.errorMessage().size(), 300);
    reply = call(QStringLiteral("Ask"), {QString()});
    EXPECT_EQ(reply.errorMessage(), "What are you working on?");
    reply = call(QStringLiteral("ResumeWorkspace"), {QString()});
    EXPECT_EQ(reply.errorName(), IntentService::kInvalidArgument);
    save(QStringLiteral("Deep work"), {"Terminal"});
    save(QStringLiteral("Writing"), {"Safari"});
    reply = call(QStringLiteral("Workspaces"), {QString()});
    EXPECT_EQ(reply.arguments().value(0).toStringList(), (QStringList{"Writing", "Deep work"}));
    reply = call(QStringLiteral("Workspaces"), {QStringLiteral("deep")});
    EXPECT_EQ(reply.arguments().value(0).toStringList(), QStringList{"Deep work"});
    reply = call(QStringLiteral("Routines"), {});
    EXPECT_EQ(reply.arguments().value(0).toStringList(), (QStringList{"Deep work", "Writing"}));
    // A routine's id that no longer exists starts the default routine.
    reply = call(QStringLiteral("StartFocus"), {QUuid::createUuid().toString(), 30});
    EXPECT_EQ(reply.arguments().value(0).toString(), "Deep work is on for 30 minutes. Hid Slack, Mail.");
    EXPECT_TRUE(bar->isEmpty());
}

TEST_F(IntentBusTest, ARefreshOfTheParametersIsSignalled)
{
    auto state = makeState();
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    ASSERT_TRUE(service.publish(serviceSide, kSettings));
    // Any slot does: the receiver deletes itself when the signal comes.
    auto* receiver = new QObject;
    ASSERT_TRUE(clientSide.connect(IntentService::serviceName(kSettings), IntentService::kObjectPath,
                                   IntentService::kInterface, QStringLiteral("Changed"), receiver,
                                   SLOT(deleteLater())));
    QSignalSpy gone(receiver, &QObject::destroyed);
    shortcuts.update();
    EXPECT_TRUE(gone.wait(5000));
}

// Whoever took the intents' name first keeps it only until it lets go: the
// service waits in the bus's queue and answers from then on. And what comes
// back is printed through echoed(), whoever sent it.
TEST_F(IntentBusTest, ANameHeldElsewhereIsTakenOnceFreeAndAnswersArePrintedSafely)
{
    auto state = makeState();
    QDBusConnection squatter = bus.connect(QStringLiteral("intents-squatter"));
    ASSERT_TRUE(squatter.registerService(IntentService::serviceName(kSettings)));
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    QString problem;
    EXPECT_TRUE(service.publish(serviceSide, kSettings, &problem));
    EXPECT_EQ(problem, "Another process holds the intents' name on the session bus; this Tavrin takes it once it is "
                       "free.");
    ASSERT_TRUE(squatter.unregisterService(IntentService::serviceName(kSettings)));
    const auto outcome = run({"apply-layout", "thirds"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(usualLayout(), "thirds");

    EXPECT_EQ(IntentClient::printable(QStringLiteral("Done.\n\x1b]0;owned\a\x1b[2J")),
              QStringLiteral("Done.\n\uFFFD]0;owned\uFFFD\uFFFD[2J"));
    QString none;
    EXPECT_FALSE(IntentService(*state, windows, runner, shortcuts, env.clock)
                     .publish(QDBusConnection(QString()), kSettings, &none));
    EXPECT_EQ(none, "There is no session bus, so intents can't reach Tavrin.");
}

// A flood of intents that act is cut at its share of a second: the rest are
// refused as busy at once, and the next second serves again.
TEST_F(IntentBusTest, ActsBeyondTheirShareOfASecondAreRefusedAsBusy)
{
    auto state = makeState();
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    ASSERT_TRUE(service.publish(serviceSide, kSettings));
    for (int i = 0; i < IntentService::kMaxActsPerSecond; ++i)
        ASSERT_EQ(run({"stop-focus"}).exitCode, 0) << i;
    const auto busy = run({"apply-layout", "thirds"});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err, "tavrin: " + IntentService::busyMessage());
    EXPECT_EQ(run({"ask", "Plan", "the", "launch"}).exitCode, 0); // asks are coalesced, never refused
    env.clock.advance(1);
    EXPECT_EQ(run({"apply-layout", "thirds"}).exitCode, 0);
}

// A Tavrin that quits lets its intents go while it still holds its name: an
// intent sent then says that it is quitting, with the status of no Tavrin.
TEST_F(IntentBusTest, AnIntentSentWhileTavrinQuitsSaysSo)
{
    auto state = makeState();
    auto service = std::make_unique<IntentService>(*state, windows, runner, shortcuts, env.clock);
    ASSERT_TRUE(service->publish(serviceSide, kSettings));
    service.reset();
    const auto outcome = run({"apply-layout", "thirds"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "tavrin: Tavrin is quitting. Start it again, then try again.");
    EXPECT_TRUE(IntentClient::help().contains("is quitting, is busy"));
}

// A running program (this very one, so trusted) whose Open answers `open`.
class OpenAnswer : public QDBusVirtualObject {
public:
    explicit OpenAnswer(QVariant open) : open_(std::move(open)) {}
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const bool open = message.member() == QLatin1String("Open");
        connection.send(message.createReply(open ? open_ : QVariant(QStringLiteral("the test desktop"))));
        return true;
    }

private:
    QVariant open_;
};

// A second start says the window is open only when Open answered true, the
// boolean the method returns: a string "true" opened nothing.
TEST_F(IntentBusTest, ASecondStartBelievesOnlyABooleanAnswerToOpen)
{
    for (const QVariant& open : {QVariant(true), QVariant(QStringLiteral("true")), QVariant(1)}) {
        SCOPED_TRACE(open.toString().toStdString() + " of type " + open.typeName());
        OpenAnswer running(open);
        ASSERT_TRUE(serviceSide.registerVirtualObject(InstanceService::kObjectPath, &running));
        ASSERT_TRUE(serviceSide.registerService(InstanceService::serviceName(kSettings)));
        // Asked from a thread of its own: the answers come from this one.
        auto asked =
            std::async(std::launch::async, [this] { return InstanceService::askRunning(clientSide, kSettings, {}); });
        ASSERT_TRUE(tavrin::testing::processEventsUntil(
            [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30000));
        const auto answer = asked.get();
        EXPECT_TRUE(answer.reached);
        EXPECT_EQ(answer.opened, open.typeId() == QMetaType::Bool);
        serviceSide.unregisterService(InstanceService::serviceName(kSettings));
        serviceSide.unregisterObject(InstanceService::kObjectPath);
    }
}

// ---- The Focus filter ----

TEST_F(IntentsTest, TheFocusFilterNamesARoutineByIdOrNameAndAnswersWithWhatItShows)
{
    auto state = makeState();
    IntentService service(*state, windows, runner, shortcuts, env.clock);
    EXPECT_EQ(service.SetFocusFilter("writing"), "The Focus filter now names Writing.");
    EXPECT_EQ(service.SetFocusFilter(deepWork.id.toString()), "The Focus filter now names Deep work.");
    EXPECT_EQ(service.SetFocusFilter(""), "The Focus filter now names no routine.");
    // A name of no routine changes nothing; an id of a deleted one still
    // reaches the engine, which ends what that Focus started.
    EXPECT_EQ(service.SetFocusFilter("Reading"), IntentService::unknownRoutineMessage("Reading"));
    const QUuid gone = QUuid::createUuid();
    EXPECT_EQ(service.SetFocusFilter(gone.toString()), IntentService::unknownRoutineMessage(gone.toString()));
    EXPECT_EQ(started, (QStringList{"filter " + writing.id.toString(QUuid::WithoutBraces),
                                    "filter " + deepWork.id.toString(QUuid::WithoutBraces), "filter none",
                                    "filter " + gone.toString(QUuid::WithoutBraces)}));

    QString error;
    const auto call = IntentClient::parse({"focus-filter", "Deep work"}, &error);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->method, "SetFocusFilter");
    EXPECT_EQ(call->arguments, QVariantList{"Deep work"});
    EXPECT_EQ(IntentClient::parse({"focus-filter"}, &error)->arguments, QVariantList{QString()});
    EXPECT_FALSE(IntentClient::parse({"focus-filter", "a", "b"}, &error));
    EXPECT_EQ(error, "Unexpected argument \"b\".");
    EXPECT_TRUE(IntentClient::help({"Deep work", "Writing"}).contains("ROUTINE is one of Deep work, Writing.\n"));
    EXPECT_FALSE(IntentClient::help().contains("ROUTINE is one of"));
}

} // namespace
} // namespace tavrin
