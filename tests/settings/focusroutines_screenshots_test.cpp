// Pictures of the modes pane with its Focus routines, every editor of a
// routine card and the calendars line in its states, in both colour
// schemes, written to artifacts/focus/ for a person to look at and checked
// for cut text, widgets on top of each other and blank space to scroll to.
#include "settingsfixture.h"
#include "support/artifacts.h"
#include "support/layoutcheck.h"

#include "design/environment.h"
#include "design/themed.h"
#include "focus/views/calendarsline.h"
#include "focus/views/edittoken.h"
#include "focus/views/focussection.h"
#include "focus/views/plainbutton.h"
#include "focus/views/popover.h"
#include "focus/views/routinecard.h"
#include "focus/views/timefield.h"
#include "platform/sim/simappearance.h"
#include "settings/modespane.h"
#include "settings/settingswitch.h"
#include "workspaces/savedworkspacestore.h"

#include <QDir>
#include <QFileInfo>

namespace tavrin {
namespace {

FocusRoutine everyChip()
{
    FocusRoutine r;
    r.name = QStringLiteral("Everything");
    r.eventWords = {QStringLiteral("standup"), QStringLiteral("review")};
    r.macFocus = true;
    r.schedules = {FocusRoutine::Schedule{}};
    r.whileApps = {QStringLiteral("Zoom"), QStringLiteral("Slack"), QStringLiteral("Mail"), QStringLiteral("Notes"),
                   QStringLiteral("Arc")};
    r.actions.hideApps = {QStringLiteral("Slack"), QStringLiteral("Mail")};
    r.actions.quitApps = {QStringLiteral("Music")};
    r.actions.layout = LayoutKind::studio;
    r.actions.workspace = QStringLiteral("Writing");
    r.actions.focusOnShortcut = QStringLiteral("Focus on");
    r.actions.focusOffShortcut = QStringLiteral("Focus off");
    r.actions.shareSafe = true;
    return r;
}

class FocusScreenshots : public SettingsTest, public ::testing::WithParamInterface<ColorScheme> {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        env.desktop.appearance().setColorScheme(GetParam());
        SavedWorkspaceStore::save({QStringLiteral("Writing"),
                                   QString(),
                                   LayoutKind::halves,
                                   {QStringLiteral("Pages")},
                                   env.clock.nowDate(),
                                   std::nullopt,
                                   std::nullopt});
        env.desktop.setShortcuts({QStringLiteral("Focus on"), QStringLiteral("Focus off")});
        env.desktop.setCalendarAccess(CalendarAccess::fullAccess);
        std::vector<SimCalendar> calendars;
        const QList<std::tuple<QString, QString, QColor>> made{{"Work", "iCloud", QColor(52, 120, 246)},
                                                               {"Home", "iCloud", QColor(52, 199, 89)},
                                                               {"Team", "Google", QColor(255, 149, 0)},
                                                               {"Holidays", "Google", QColor(175, 82, 222)}};
        for (const auto& [title, account, colour] : made)
            calendars.push_back(SimCalendar{CalendarInfo{title.toLower(), title, colour, account}, {}});
        env.desktop.setCalendars(std::move(calendars));
        focus.requestCalendarAccess();
        env.clock.advance(0);
        QCoreApplication::processEvents();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString scheme() const { return GetParam() == ColorScheme::dark ? "dark" : "light"; }

    bool savePane(const QString& name)
    {
        SettingsView* view = window().view();
        env.clock.advance(1); // switches and fades come to rest
        settle();
        // At the usual width and a wide one the pane scrolls as far as its content goes and no further.
        for (const QSize size : {SettingsView::kSize, QSize(1280, SettingsView::kSize.height())}) {
            view->resize(size);
            settle();
            LayoutCheck::expectTidy(view, QStringLiteral("%1 at %2 wide").arg(name).arg(size.width()));
        }
        QWidget* pane = view->pane();
        const int whole = pane->hasHeightForWidth() ? pane->heightForWidth(SettingsView::kSize.width() - 184)
                                                    : pane->sizeHint().height();
        view->resize(SettingsView::kSize.width(), std::max(SettingsView::kSize.height(), whole + 4));
        settle();
        LayoutCheck::expectTidy(view, name + '-' + scheme());
        return view->grab().toImage().save(
            QDir(Artifacts::folder(QStringLiteral("focus"))).filePath(name + '-' + scheme() + ".png"));
    }

    bool saveWidget(QWidget* widget, const QString& name)
    {
        env.clock.advance(1);
        settle();
        const QImage picture = widget->grab().toImage(); // lays out a widget not yet shown
        LayoutCheck::expectTidy(widget, name + '-' + scheme());
        return picture.save(QDir(Artifacts::folder(QStringLiteral("focus"))).filePath(name + '-' + scheme() + ".png"));
    }

    // Opens a chip's editor and pictures it.
    bool saveEditor(RoutineCard* card, const QString& key, const QString& name)
    {
        auto* token = qobject_cast<EditToken*>(card->chip(key));
        if (!token)
            return false;
        token->open();
        env.clock.advance(0); // the shortcut list
        const bool saved = saveWidget(token->popover(), name);
        for (TimeField* field : token->popover()->findChildren<TimeField*>())
            EXPECT_GT(inkedPixels(token->popover(), field), 20) << "a time is not written in the scheme's ink";
        token->popover()->hide();
        return saved;
    }

    // How many pixels of a widget, as its window draws it, are in its theme's ink.
    static int inkedPixels(QWidget* window, QWidget* widget)
    {
        const QColor ink = Environment::theme(widget).ink;
        const QImage shot = window->grab(QRect(widget->mapTo(window, QPoint(0, 0)), widget->size())).toImage();
        int inked = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                inked +=
                    std::abs(c.red() - ink.red()) + std::abs(c.green() - ink.green()) + std::abs(c.blue() - ink.blue())
                    < 60;
            }
        return inked;
    }
};

TEST_P(FocusScreenshots, ModesPaneWithRoutines)
{
    FocusRoutine running;
    running.name = QStringLiteral("Deep work");
    running.eventWords = {QStringLiteral("Focus")};
    running.actions.hideApps = {QStringLiteral("Slack"), QStringLiteral("Mail"), QStringLiteral("Messages"),
                                QStringLiteral("Discord")};
    running.actions.layout = LayoutKind::focusCentre;
    FocusRoutine off;
    off.name = QStringLiteral("Calls");
    off.enabled = false;
    off.whileApps = {QStringLiteral("Zoom")};
    off.actions.shareSafe = true;
    const FocusRoutine all = everyChip();
    focus.setRoutines({running, off, all});
    focus.setEnabled(true);
    focus.start(running, 60);
    focus.setLinks({QStringLiteral("https://calendar.example.com/private/team.ics"), QStringLiteral("nonsense")});
    // The canned network answers no calendar: both links show their error.
    for (int i = 0; i < 200 && focus.linkErrors().size() < 2; ++i) {
        env.clock.advance(0);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    auto* pane = open<ModesPane>(SettingsPane::modes);
    ASSERT_TRUE(pane && pane->focusSection());
    EXPECT_TRUE(savePane(QStringLiteral("modes-routines")));

    RoutineCard* card = pane->focusSection()->cards().at(2);
    EXPECT_TRUE(saveEditor(card, QStringLiteral("word.0"), QStringLiteral("editor-word")));
    EXPECT_TRUE(saveEditor(card, QStringLiteral("macFocus"), QStringLiteral("editor-macfocus-trigger")));
    EXPECT_TRUE(saveEditor(card, "schedule." + all.schedules.first().id.toString(QUuid::WithoutBraces),
                           QStringLiteral("editor-schedule")));
    for (const QString& key : {QStringLiteral("whileApps"), QStringLiteral("hide"), QStringLiteral("layout"),
                               QStringLiteral("workspace"), QStringLiteral("shortcuts")})
        EXPECT_TRUE(saveEditor(card, key, QStringLiteral("editor-") + key)) << key.toStdString();
    card->startRenaming();
    EXPECT_TRUE(saveWidget(card->renamePopover(), QStringLiteral("editor-rename")));
    card->renamePopover()->hide();

    CalendarsLine* line = pane->focusSection()->calendarsLine();
    line->chooseButton()->click();
    EXPECT_TRUE(saveWidget(line->chooser(), QStringLiteral("calendars-chooser")));
    line->chooser()->hide();
    line->addLinkButton()->click();
    EXPECT_TRUE(saveWidget(line->linkEntry(), QStringLiteral("calendars-link-entry")));
    line->linkEntry()->hide();

    // Focus routines off: the section at half opacity.
    pane->focusSwitch()->click();
    EXPECT_TRUE(savePane(QStringLiteral("modes-routines-off")));
}

TEST_P(FocusScreenshots, CalendarsLineStates)
{
    const auto shoot = [&](CalendarAccess access, const QString& name) {
        env.desktop.setCalendarAccess(access);
        Focus engine(meeting, shareSafe, windows, runner, Platform::current());
        Themed host;
        host.setContent(new CalendarsLine(engine));
        host.resize(680, host.sizeHint().height());
        return saveWidget(&host, name);
    };
    EXPECT_TRUE(shoot(CalendarAccess::notDetermined, QStringLiteral("calendars-not-asked")));
    EXPECT_TRUE(shoot(CalendarAccess::denied, QStringLiteral("calendars-denied")));
}

INSTANTIATE_TEST_SUITE_P(Schemes, FocusScreenshots, ::testing::Values(ColorScheme::light, ColorScheme::dark),
                         [](const auto& info) { return info.param == ColorScheme::dark ? "dark" : "light"; });

} // namespace
} // namespace tavrin
