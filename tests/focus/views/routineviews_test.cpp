// The routine editor's model and widgets: the chips and menus of a card,
// the section's cards, the Do Not Disturb and schedule editors.
#include "focus/focusfixture.h"

#include "design/tbutton.h"
#include "design/tfield.h"
#include "design/themedlabel.h"
#include "design/tswitch.h"
#include "focus/routinestore.h"
#include "focus/views/applisteditor.h"
#include "focus/views/daytoggle.h"
#include "focus/views/edittoken.h"
#include "focus/views/focussection.h"
#include "focus/views/macfocuseditor.h"
#include "focus/views/menupicker.h"
#include "focus/views/popover.h"
#include "focus/views/removebutton.h"
#include "focus/views/routinecard.h"
#include "focus/views/routinecardmodel.h"
#include "focus/views/scheduleeditor.h"
#include "focus/views/timefield.h"
#include "focus/views/wordeditor.h"
#include "workspaces/savedworkspacestore.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

namespace tavrin {
namespace {

using Model = RoutineCardModel;
using Kind = RoutineCardModel::Kind;

QStringList texts(const QList<Model::Entry>& entries)
{
    QStringList out;
    for (const Model::Entry& e : entries)
        out << e.text;
    return out;
}

QStringList texts(const QList<Model::MenuItem>& items)
{
    QStringList out;
    for (const Model::MenuItem& i : items)
        out << i.text;
    return out;
}

QStringList actionTexts(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << a->text() + (a->isEnabled() ? "" : " (disabled)");
    delete menu;
    return out;
}

void flush()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// ---- The model ----

TEST(RoutineCardModel, ShortFormsOfApplicationLists)
{
    EXPECT_EQ(Model::shortForm({}), "");
    EXPECT_EQ(Model::shortForm({"Slack", "Mail", "Zoom"}), "Slack, Mail, Zoom");
    EXPECT_EQ(Model::shortForm({"Zoom", "Slack", "Mail", "Notes", "Arc"}), "Zoom, Slack + 3");
}

TEST(RoutineCardModel, WhenRowReadsAsAlternatives)
{
    FocusRoutine r;
    r.eventWords.clear();
    EXPECT_EQ(texts(Model::when(r)), QStringList{"Only when you start it"});
    EXPECT_TRUE(Model::actions(r).isEmpty());

    r.schedules = {FocusRoutine::Schedule{}};
    EXPECT_EQ(Model::when(r).size(), 1); // no leading "or"

    r.schedules.clear();
    r.eventWords = {"standup", "review"};
    EXPECT_EQ(texts(Model::when(r)), (QStringList{"event title has “standup”", "or", "event title has “review”"}));

    r.eventWords.clear();
    r.macFocus = true;
    r.whileApps = {"Zoom", "Slack", "Mail", "Notes", "Arc"};
    EXPECT_EQ(texts(Model::when(r)), (QStringList{"Focus filter", "or", "while Zoom, Slack + 3 open"}));
}

TEST(RoutineCardModel, AddMenusOfferWhatIsMissing)
{
    FocusRoutine r;
    r.eventWords.clear();
    EXPECT_EQ(texts(Model::whenMenu(r)),
              (QStringList{"A calendar event", "The Focus filter", "A time of day", "While an app is open…"}));
    Model::add(r, Kind::word, {});
    EXPECT_EQ(r.eventWords, QStringList{"Focus"});
    EXPECT_EQ(Model::whenMenu(r).first().text, "Another calendar word");
    Model::add(r, Kind::word, {});
    EXPECT_EQ(r.eventWords, (QStringList{"Focus", "Urgent"}));

    Model::add(r, Kind::schedule, {});
    ASSERT_EQ(r.schedules.size(), 1);
    EXPECT_EQ(r.schedules.first().days, FocusRoutine::Schedule::weekdays());
    EXPECT_EQ(std::pair(r.schedules.first().start, r.schedules.first().end), std::pair(540, 660));
    EXPECT_EQ(Model::add(r, Kind::whileApps, {}), Model::PickTarget::whileApps);

    // "Open a workspace" is there but disabled without saved workspaces.
    const QList<Model::MenuItem> none = Model::actionsMenu(r, false);
    const auto workspace = std::find_if(none.begin(), none.end(), [](auto& i) { return i.kind == Kind::workspace; });
    ASSERT_NE(workspace, none.end());
    EXPECT_FALSE(workspace->enabled);
    Model::add(r, Kind::workspace, {});
    EXPECT_FALSE(r.actions.workspace);
    Model::add(r, Kind::workspace, {"Newest", "Older"});
    EXPECT_EQ(r.actions.workspace, "Newest");
}

TEST(RoutineCardModel, ChipsOfTheDoRowAndWhatRemovingThemTakes)
{
    FocusRoutine r;
    Model::add(r, Kind::layout, {});
    EXPECT_EQ(texts(Model::actions(r)), QStringList{"Studio layout"});
    EXPECT_FALSE(texts(Model::actionsMenu(r, true)).contains("Arrange in a layout"));
    Model::remove(r, Model::actions(r).first());
    EXPECT_TRUE(texts(Model::actionsMenu(r, true)).contains("Arrange in a layout"));

    Model::add(r, Kind::shortcuts, {});
    EXPECT_EQ(r.actions.focusOnShortcut, QString());
    EXPECT_EQ(texts(Model::actions(r)), QStringList{"Turn on Do Not Disturb: choose a shortcut"});
    r.actions.focusOnShortcut = "Focus on";
    r.actions.focusOffShortcut = "Focus off";
    r.actions.hideApps = {"Slack", "Mail"};
    r.actions.shareSafe = true;
    EXPECT_EQ(texts(Model::actions(r)),
              (QStringList{"Hide Slack, Mail", "Do Not Disturb: run “Focus on”", "Turn on Share-safe"}));
    Model::remove(r, Model::actions(r).at(1));
    EXPECT_FALSE(r.actions.focusOnShortcut);
    EXPECT_FALSE(r.actions.focusOffShortcut);
    Model::remove(r, Model::actions(r).first());
    EXPECT_TRUE(r.actions.hideApps.isEmpty());

    // An end shortcut alone shows no chip.
    r.actions.focusOffShortcut = "Focus off";
    EXPECT_EQ(texts(Model::actions(r)), QStringList{"Turn on Share-safe"});
}

TEST(RoutineCardModel, WordsOutOfRangeReadEmptyAndAreNotWritten)
{
    FocusRoutine r;
    r.eventWords = {"Focus"};
    EXPECT_EQ(Model::word(r, 3), "");
    Model::setWord(r, 3, "x");
    Model::setWord(r, -1, "x");
    EXPECT_EQ(r.eventWords, QStringList{"Focus"});
    EXPECT_EQ(Model::pickTargetFromName("whileApps"), Model::PickTarget::whileApps);
    EXPECT_FALSE(Model::pickTargetFromName("nothing"));
}

// ---- The widgets ----

class RoutineViews : public FocusTest {
protected:
    RoutineViews() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    ~RoutineViews() override { QLocale::setDefault(QLocale::c()); }

    FocusSection& section()
    {
        if (!section_)
            section_ = std::make_unique<FocusSection>(focus());
        return *section_;
    }
    RoutineCard* card(int index) { return section().cards().value(index); }

    std::unique_ptr<FocusSection> section_;
};

TEST_F(RoutineViews, NewRoutinesAreNumberedByCountAndCanShareAName)
{
    setRoutines({});
    section().newRoutine();
    section().newRoutine();
    ASSERT_EQ(section().cards().size(), 2);
    EXPECT_EQ(card(0)->nameLabel()->text(), "Routine 1");
    card(0)->deleteRoutine();
    flush();
    section().newRoutine();
    ASSERT_EQ(focus().routines().size(), 2);
    EXPECT_EQ(focus().routines().at(0).name, "Routine 2");
    EXPECT_EQ(focus().routines().at(1).name, "Routine 2");
    EXPECT_EQ(section().cards().size(), 2);
    // Stored at once.
    EXPECT_EQ(RoutineStore::load(&env.defaults).routines, focus().routines());

    // A new routine has no trigger and nothing to do.
    RoutineCard* fresh = card(1);
    EXPECT_EQ(fresh->whenTexts(), QStringList{"Only when you start it"});
    EXPECT_TRUE(fresh->doTexts().isEmpty());
    EXPECT_EQ(fresh->enabledSwitch()->isChecked(), true);
    focus().evaluate();
    EXPECT_FALSE(focus().running());
}

TEST_F(RoutineViews, TheSectionDimsWhileRoutinesAreOffAndStaysEditable)
{
    setRoutines({routine("Deep work")});
    focus().setEnabled(false);
    EXPECT_EQ(section().opacity(), 0.5);
    card(0)->add(Kind::word);
    EXPECT_EQ(focus().routines().first().eventWords, QStringList{"Focus"});
    focus().setEnabled(true);
    EXPECT_EQ(section().opacity(), 1.0);
}

TEST_F(RoutineViews, AddingFromTheMenusChangesTheChipsAndTheMenus)
{
    setRoutines({routine("Deep work")});
    RoutineCard* c = card(0);
    EXPECT_EQ(actionTexts(c->whenMenu()).first(), "A calendar event");
    c->add(Kind::word);
    c->add(Kind::word);
    EXPECT_EQ(c->whenTexts(), (QStringList{"event title has “Focus”", "or", "event title has “Urgent”"}));
    EXPECT_EQ(actionTexts(c->whenMenu()).first(), "Another calendar word");

    c->add(Kind::layout);
    EXPECT_EQ(c->doTexts(), QStringList{"Studio layout"});
    EXPECT_FALSE(actionTexts(c->doMenu()).contains("Arrange in a layout"));
    c->chip("layout")->removeButton()->click();
    flush();
    EXPECT_TRUE(c->doTexts().isEmpty());
    EXPECT_TRUE(actionTexts(c->doMenu()).contains("Arrange in a layout"));

    EXPECT_TRUE(actionTexts(c->doMenu()).contains("Open a workspace (disabled)"));
    SavedWorkspaceStore::save({"Writing", "", LayoutKind::halves, {"Pages"}, env.clock.nowDate(), {}, {}});
    EXPECT_TRUE(actionTexts(c->doMenu()).contains("Open a workspace"));
    c->add(Kind::workspace);
    EXPECT_EQ(c->doTexts(), QStringList{"Open workspace Writing"});
}

// Mends a fault: the menu style etched disabled items, drawing their text a
// second time in a light colour, which showed as a double text on the dark
// menu.
TEST_F(RoutineViews, ADisabledMenuItemIsDrawnOnceInTheDisabledInk)
{
    setRoutines({routine("Deep work")});
    std::unique_ptr<QMenu> menu(card(0)->doMenu());
    QAction* workspace = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == "Open a workspace")
            workspace = a;
    ASSERT_TRUE(workspace);
    ASSERT_FALSE(workspace->isEnabled()); // nothing is saved yet
    menu->resize(menu->sizeHint());
    const QImage image = menu->grab().toImage();
    const QPalette& palette = menu->palette();
    const QColor ground = palette.color(QPalette::Window);
    const QColor ink = palette.color(QPalette::Disabled, QPalette::Text);
    auto lightness = [](const QColor& c) { return std::max({c.red(), c.green(), c.blue()}); };
    // The ink blended over the menu's ground is the brightest a pixel of the
    // item's text may be.
    const double a = ink.alphaF();
    const int brightest =
        int(std::max({ink.red() * a + ground.red() * (1 - a), ink.green() * a + ground.green() * (1 - a),
                      ink.blue() * a + ground.blue() * (1 - a)}));
    const QRect item = menu->actionGeometry(workspace);
    int found = 0;
    for (int y = item.top(); y <= item.bottom(); ++y)
        for (int x = item.left(); x <= item.right(); ++x)
            found = std::max(found, lightness(image.pixelColor(x, y)));
    EXPECT_GT(found, lightness(ground)); // the text is there
    EXPECT_LE(found, brightest + 2);
}

TEST_F(RoutineViews, ChipEditorsWriteThroughAndStayOpenWhileTheirChipChanges)
{
    setRoutines({routine("Deep work")});
    RoutineCard* c = card(0);
    c->add(Kind::word);
    auto* token = qobject_cast<EditToken*>(c->chip("word.0"));
    ASSERT_TRUE(token);
    auto* words = qobject_cast<WordEditor*>(token->editor());
    ASSERT_TRUE(words);
    token->open();
    QTest::keyClicks(words->field(), "ed");
    EXPECT_EQ(focus().routines().first().eventWords, QStringList{"Focused"});
    EXPECT_EQ(c->chip("word.0"), token);
    EXPECT_TRUE(token->popover()->isVisible());
    EXPECT_EQ(token->text(), "event title has “Focused”");
    token->popover()->hide();
    EXPECT_FALSE(token->isOpen());

    // The layout picker stores what is chosen.
    c->add(Kind::layout);
    auto* layoutPicker = c->editor("layout")->findChild<MenuPicker*>();
    ASSERT_TRUE(layoutPicker);
    EXPECT_EQ(layoutPicker->shownTitle(), "Studio");
    layoutPicker->choose(1);
    EXPECT_EQ(focus().routines().first().actions.layout, LayoutKind::halves);
    EXPECT_EQ(c->doTexts(), QStringList{"Halves layout"});
}

TEST_F(RoutineViews, ApplicationListsArePickedAndEdited)
{
    FocusRoutine r = routine("Calls");
    r.whileApps = {"Zoom", "Slack", "Mail", "Notes", "Arc"};
    setRoutines({r});
    RoutineCard* c = card(0);
    EXPECT_EQ(c->whenTexts(), QStringList{"while Zoom, Slack + 3 open"});

    c->add(Kind::hide);
    ASSERT_TRUE(c->picker());
    EXPECT_EQ(c->picking(), Model::PickTarget::hide);
    c->picker()->click("Slack");
    c->picker()->click("Mail");
    c->picker()->addPicked();
    flush();
    EXPECT_FALSE(c->picking());
    EXPECT_EQ(focus().routines().first().actions.hideApps, (QStringList{"Mail", "Slack"}));

    auto* editor = qobject_cast<AppListEditor*>(c->editor("hide"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->shown(), (QStringList{"Mail", "Slack"}));
    editor->removeApp("Mail");
    EXPECT_EQ(focus().routines().first().actions.hideApps, QStringList{"Slack"});
    EXPECT_EQ(editor->shown(), QStringList{"Slack"});
    EXPECT_EQ(c->doTexts(), QStringList{"Hide Slack"});
}

TEST_F(RoutineViews, TheHideEditorsHintFitsBelowAddApps)
{
    FocusRoutine r = routine("Calls");
    r.actions.hideApps = {"Slack", "Mail"};
    setRoutines({r});
    RoutineCard* c = card(0);
    auto* token = qobject_cast<EditToken*>(c->chip("hide"));
    ASSERT_TRUE(token);
    token->open();
    flush();
    auto* editor = qobject_cast<AppListEditor*>(c->editor("hide"));
    ASSERT_TRUE(editor);
    const ThemedLabel* hint = nullptr;
    for (const ThemedLabel* label : editor->findChildren<ThemedLabel*>())
        if (label->text().startsWith("Hidden when the routine starts"))
            hint = label;
    ASSERT_TRUE(hint);
    EXPECT_GE(hint->height(), hint->heightForWidth(hint->width()));
    EXPECT_GT(hint->y(), editor->addButton()->geometry().bottom());
    EXPECT_LE(hint->geometry().bottom(), editor->contentsRect().bottom());
    token->popover()->hide();
}

TEST_F(RoutineViews, StartNowStopAndTheRunningLine)
{
    qputenv("TZ", "UTC");
    tzset();
    setRoutines({routine("Deep work"), routine("Writing")});
    RoutineCard* first = card(0);
    RoutineCard* second = card(1);
    EXPECT_TRUE(first->startButton()->isVisibleTo(first));
    first->startButton()->click();
    EXPECT_TRUE(first->isRunning());
    EXPECT_EQ(first->runningLabel()->text(), "On until 10:00");
    EXPECT_TRUE(first->stopButton()->isVisibleTo(first));
    EXPECT_FALSE(first->startButton()->isVisibleTo(first));
    EXPECT_TRUE(second->startButton()->isVisibleTo(second));
    EXPECT_EQ(RoutineCard::runningText(std::nullopt), "On now");

    // A switched-off routine starts too, replacing the running one.
    second->enabledSwitch()->click();
    EXPECT_FALSE(focus().routines().at(1).enabled);
    EXPECT_EQ(second->opacity(), 0.6);
    second->startButton()->click();
    EXPECT_TRUE(second->isRunning());
    EXPECT_FALSE(first->isRunning());
    second->stopButton()->click();
    EXPECT_FALSE(focus().running());
    qunsetenv("TZ");
    tzset();
}

TEST_F(RoutineViews, RenamingWritesEveryKeystrokeAndDeletingAsksNothing)
{
    setRoutines({routine("Deep work")});
    RoutineCard* c = card(0);
    c->startRenaming();
    EXPECT_TRUE(c->renamePopover()->isVisible());
    c->renameField()->selectAll();
    QTest::keyClick(c->renameField(), Qt::Key_Backspace);
    EXPECT_EQ(focus().routines().first().name, ""); // empty is kept
    EXPECT_EQ(c->nameLabel()->text(), "");
    QTest::keyClicks(c->renameField(), "Calls");
    EXPECT_EQ(focus().routines().first().name, "Calls");
    EXPECT_EQ(c->enabledSwitch()->accessibleName(), "Calls routine");
    QTest::keyClick(c->renameField(), Qt::Key_Return);
    EXPECT_FALSE(c->renamePopover()->isVisible());

    c->deleteRoutine();
    flush();
    EXPECT_TRUE(focus().routines().isEmpty());
    EXPECT_TRUE(section().cards().isEmpty());
}

TEST_F(RoutineViews, TheMacFocusEditorListsShortcutsAndKeepsItsThreeStates)
{
    std::optional<QString> on = QString();
    std::optional<QString> off;
    MacFocusEditor editor(Platform::current(), {[&] { return on; }, [&](const std::optional<QString>& v) { on = v; }},
                          {[&] { return off; }, [&](const std::optional<QString>& v) { off = v; }});
    EXPECT_EQ(editor.startPicker()->items().size(), 1);
    editor.reload();
    env.clock.advance(0);
    EXPECT_EQ(editor.names(), (QStringList{"Focus off", "Focus on"}));
    EXPECT_EQ(editor.startPicker()->items().size(), 3);
    EXPECT_EQ(editor.startPicker()->items().first().title, "Choose a shortcut…");
    EXPECT_EQ(editor.endPicker()->items().first().title, "Nothing");

    editor.startPicker()->choose(2);
    EXPECT_EQ(on, "Focus on");
    editor.startPicker()->choose(0);
    EXPECT_EQ(on, QString()); // still there, none chosen
    ASSERT_TRUE(on);
    editor.endPicker()->choose(1);
    EXPECT_EQ(off, "Focus off");
    editor.endPicker()->choose(0);
    EXPECT_FALSE(off);

    // A stored name no longer listed stays stored and shows no item.
    on = "Gone";
    editor.refresh();
    EXPECT_EQ(editor.startPicker()->selectedIndex(), -1);
    EXPECT_EQ(on, "Gone");
}

TEST_F(RoutineViews, TheLastShortcutListingStartedIsTheOneShown)
{
    std::optional<QString> none;
    MacFocusEditor::OptionalText text{[&] { return none; }, [&](const std::optional<QString>&) {}};
    int calls = 0;
    MacFocusEditor editor(Platform::current(), text, text, [&] { return QStringList{QString::number(++calls)}; });
    editor.reload();
    editor.reload();
    env.clock.advance(0);
    EXPECT_EQ(editor.names(), QStringList{"2"});
    // No shortcuts at all: only the first items.
    MacFocusEditor empty(Platform::current(), text, text, [] { return QStringList(); });
    empty.reload();
    env.clock.advance(0);
    EXPECT_EQ(empty.startPicker()->items().size(), 1);
    EXPECT_EQ(empty.endPicker()->items().size(), 1);
}

TEST_F(RoutineViews, OpenShortcutsMakesTheShortcutsFolder)
{
    QTemporaryDir config;
    Platform services = Platform::current();
    services.folders.applicationSupport = config.path();
    Platform::install(services);
    const MacFocusEditor::OptionalText none{[] { return std::optional<QString>(); }, {}};
    MacFocusEditor(Platform::current(), none, none, [] { return QStringList(); }).openShortcutsFolder();
    EXPECT_TRUE(QFileInfo(config.filePath("tavrin/shortcuts")).isDir());
}

TEST_F(RoutineViews, TheScheduleEditorTogglesDaysAndStoresMinutes)
{
    FocusRoutine::Schedule s;
    ScheduleEditor editor({[&] { return s; }, [&](const FocusRoutine::Schedule& v) { s = v; }},
                          RoutineCard::kDayLetters);
    EXPECT_TRUE(editor.day(2)->isChecked());
    EXPECT_FALSE(editor.day(1)->isChecked());
    editor.day(1)->click();
    EXPECT_TRUE(s.days.contains(1));
    editor.day(1)->click();
    EXPECT_EQ(s.days, FocusRoutine::Schedule::weekdays());
    for (int d = 2; d <= 6; ++d)
        editor.day(d)->click();
    EXPECT_TRUE(s.days.isEmpty()); // taken as it is

    editor.from()->setTime(QTime(23, 59));
    EXPECT_EQ(s.start, 1439);
    editor.to()->setTime(QTime(0, 0));
    EXPECT_EQ(s.end, 0); // before the start: a window past midnight
    EXPECT_EQ(TimeField::minutes(QTime(7, 45, 30)), 465);
}

TEST_F(RoutineViews, TimesAreHoursAndMinutesOnTheDayTheClocksChange)
{
    // 29 March 2026 in London has no 01:00 to 01:59: a time of that hour is
    // still shown and stored as typed.
    qputenv("TZ", "Europe/London");
    tzset();
    FocusRoutine::Schedule s;
    s.start = 90;
    ScheduleEditor editor({[&] { return s; }, [&](const FocusRoutine::Schedule& v) { s = v; }},
                          RoutineCard::kDayLetters);
    EXPECT_EQ(editor.from()->text(), "01:30");
    editor.to()->setTime(QTime(1, 15));
    EXPECT_EQ(s.end, 75);
    qunsetenv("TZ");
    tzset();
}

} // namespace
} // namespace tavrin
