// The calendars line: its summary, which calendars it stores as chosen, its
// calendar links and the access row.
#include "focus/focusfixture.h"

#include "design/tbutton.h"
#include "design/tfield.h"
#include "focus/calendarlinks.h"
#include "focus/views/calendarchoice.h"
#include "focus/views/calendarsline.h"
#include "focus/views/calendartoggle.h"
#include "focus/views/plainbutton.h"
#include "focus/views/popover.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLayout>

namespace tavrin {
namespace {

CalendarInfo calendar(const QString& id, const QString& account)
{
    return {id, id.toUpper(), QColor(Qt::blue), account};
}

const QList<CalendarInfo> kFive{calendar("a", "x"), calendar("b", "y"), calendar("c", "z"), calendar("d", "x"),
                                calendar("e", "y")};

TEST(CalendarChoice, Summaries)
{
    EXPECT_EQ(CalendarChoice::summary({}, {}, {}), "none yet");
    EXPECT_EQ(CalendarChoice::summary({}, {"a"}, {"https://a/1.ics", "https://b/2.ics"}), "calendar links only");
    EXPECT_EQ(CalendarChoice::summary(kFive, {}, {}), "all · A (x), B (y), C (z) + 2");
    EXPECT_EQ(CalendarChoice::summary(kFive, {"e", "b"}, {}), "B (y), E (y)");
    EXPECT_EQ(CalendarChoice::summary(kFive, {"gone"}, {}), "");
}

TEST(CalendarChoice, SwitchingOneOffWhileAllAreInUseKeepsTheOthers)
{
    const QStringList off = CalendarChoice::toggled(kFive, {}, "c", false);
    EXPECT_EQ(QSet<QString>(off.begin(), off.end()), (QSet<QString>{"a", "b", "d", "e"}));
    EXPECT_EQ(CalendarChoice::toggled(kFive, off, "c", true), QStringList());
    EXPECT_TRUE(CalendarChoice::isOn({}, "c"));
    EXPECT_FALSE(CalendarChoice::isOn(off, "c"));
}

TEST(CalendarChoice, IdsOfCalendarsThatAreGoneDoNotDecideWhetherAllAreChosen)
{
    // Four of five chosen plus a deleted calendar's id: switching on the
    // fifth is every calendar...
    EXPECT_EQ(CalendarChoice::toggled(kFive, {"a", "b", "c", "d", "deleted"}, "e", true), QStringList());
    // ...and switching one off leaves a choice, though the count is five.
    const QStringList some = CalendarChoice::toggled(kFive, {"a", "b", "c", "d", "e", "deleted"}, "e", false);
    EXPECT_FALSE(some.isEmpty());
    EXPECT_FALSE(some.contains("e"));
}

TEST(CalendarChoice, LinksAreTrimmedAndNotRepeated)
{
    EXPECT_EQ(CalendarChoice::added({}, "  webcal://x/cal.ics\t\n"), QStringList{"webcal://x/cal.ics"});
    EXPECT_FALSE(CalendarChoice::added({"https://x/a.ics"}, "https://x/a.ics "));
    EXPECT_FALSE(CalendarChoice::added({}, "\n\n"));
    EXPECT_TRUE(CalendarChoice::canAdd("\n"));
    EXPECT_FALSE(CalendarChoice::canAdd(" \t "));
    EXPECT_EQ(CalendarChoice::removed({"a", "b", "a"}, "a"), QStringList{"b"});
    EXPECT_EQ(CalendarChoice::shownName("https://calendar.example.com/private/abc.ics"), "calendar.example.com");
    EXPECT_EQ(CalendarChoice::shownName("not a link"), "not a link");
}

class CalendarsLineTest : public FocusTest {
protected:
    void setCalendars(const QList<CalendarInfo>& calendars)
    {
        std::vector<SimCalendar> all;
        for (const CalendarInfo& c : calendars)
            all.push_back(SimCalendar{c, {}});
        env.desktop.setCalendars(std::move(all));
    }
    // The summary row as it reads: its shown texts and links, in order.
    static QStringList summaryRow(const CalendarsLine& line)
    {
        QStringList out;
        const QLayout* row = line.findChild<QLabel*>("calendarsSummary")->parentWidget()->layout();
        for (int i = 0; i < row->count(); ++i) {
            const QWidget* w = row->itemAt(i)->widget();
            if (!w || !w->isVisibleTo(&line))
                continue;
            if (const auto* label = qobject_cast<const QLabel*>(w))
                out << label->text();
            else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
                out << button->text();
        }
        return out;
    }
    static void flush()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

TEST_F(CalendarsLineTest, ChoosingCalendarsStoresTheChoiceAndTellsTheEngine)
{
    setCalendars(kFive);
    CalendarsLine line(focus());
    EXPECT_FALSE(line.accessRowShown());
    EXPECT_EQ(line.summaryText(), "Calendars: all · A (x), B (y), C (z) + 2");
    int changes = 0;
    QObject::connect(&focus(), &Focus::changed, [&] { ++changes; });
    line.chooseButton()->click();
    ASSERT_EQ(line.toggles().size(), 5);
    EXPECT_TRUE(line.chooser()->isVisible());
    line.toggles().at(0)->click();
    EXPECT_EQ(CalendarChoice::chosen(&env.defaults).size(), 4);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(line.summaryText(), "Calendars: B (y), C (z), D (x) + 1");
    flush();
    line.toggles().at(0)->click();
    EXPECT_TRUE(CalendarChoice::chosen(&env.defaults).isEmpty());
    EXPECT_TRUE(env.defaults.value(Focus::kCalendarsKey).has_value());
}

TEST_F(CalendarsLineTest, LinksAreAddedOnceAndRemovedWithEveryCopy)
{
    // Links on closed loopback ports: each fetch is refused at once, with no
    // name to look up and nothing leaving this machine.
    setCalendars({});
    CalendarsLine line(focus());
    EXPECT_EQ(line.summaryText(), "Calendars: none yet");
    line.addLinkButton()->click();
    EXPECT_TRUE(line.linkEntry()->isVisible());
    EXPECT_FALSE(line.addButton()->isEnabled());
    line.linkField()->setText("  https://127.0.0.1:9/a.ics ");
    EXPECT_TRUE(line.addButton()->isEnabled());
    line.addButton()->click();
    EXPECT_EQ(focus().links().stored(), QStringList{"https://127.0.0.1:9/a.ics"});
    EXPECT_FALSE(line.linkEntry()->isVisible());
    EXPECT_EQ(line.linkField()->text(), "");
    EXPECT_EQ(line.summaryText(), "Calendars: calendar links only");
    ASSERT_EQ(line.linkRows().size(), 1);
    EXPECT_EQ(line.linkRows().first().name, "127.0.0.1");

    // The same link again: closes, clears, stores nothing.
    line.addLinkButton()->click();
    line.linkField()->setText("https://127.0.0.1:9/a.ics");
    line.addTypedLink();
    EXPECT_EQ(focus().links().stored().size(), 1);
    EXPECT_FALSE(line.linkEntry()->isVisible());

    focus().setLinks({"https://127.0.0.1:9/1.ics", "https://127.0.0.2:9/2.ics", "https://127.0.0.1:9/1.ics"});
    EXPECT_EQ(line.linkRows().size(), 3);
    line.linkRows().first().remove->click();
    flush();
    EXPECT_EQ(focus().links().stored(), QStringList{"https://127.0.0.2:9/2.ics"});
    EXPECT_EQ(line.linkRows().size(), 1);
}

TEST_F(CalendarsLineTest, ABadLinkShowsItsErrorInItsRow)
{
    CalendarsLine line(focus());
    focus().setLinks({"nonsense"});
    ASSERT_TRUE(settle([&] { return !focus().linkErrors().isEmpty(); }));
    ASSERT_EQ(line.linkRows().size(), 1);
    EXPECT_EQ(line.linkRows().first().name, "nonsense");
    EXPECT_EQ(line.linkRows().first().error, CalendarLinks::kNotALink);
}

TEST_F(CalendarsLineTest, TheAccessRowAsksOrSendsToTheSettings)
{
    env.desktop.setCalendarAccess(CalendarAccess::denied);
    CalendarsLine line(focus());
    EXPECT_TRUE(line.accessRowShown());
    EXPECT_TRUE(line.accessText().startsWith("Tavrin can't see your calendars."));
    EXPECT_FALSE(line.chooseButton()->isVisibleTo(&line));
    line.accessButton()->click();
    EXPECT_EQ(env.desktop.settingsOpened(), QStringList{"com.apple.preference.security?Privacy_Calendars"});
    line.accountsButton()->click();
    EXPECT_EQ(env.desktop.settingsOpened().last(), "com.apple.Internet-Accounts-Settings.extension");
    EXPECT_EQ(line.settingsNote(), QString());

    // A desktop without online accounts (Xfce), one without a settings
    // program: the line says so.
    env.desktop.setSettingsLacking({Workspace::kOnlineAccountsPage});
    line.accountsButton()->click();
    EXPECT_EQ(line.settingsNote(), "This desktop has no online accounts: add a calendar link instead.");
    env.desktop.setHasSettings(false);
    line.accessButton()->click();
    EXPECT_EQ(line.settingsNote(), "No settings program for this desktop is installed.");
}

TEST_F(CalendarsLineTest, WithoutAccessTheSummaryStillSeparatesItsLinks)
{
    env.desktop.setCalendarAccess(CalendarAccess::denied);
    CalendarsLine line(focus());
    EXPECT_EQ(summaryRow(line),
              (QStringList{"Calendars: none yet", "·", "Add Google, Outlook or Teams…", "·", "Add a calendar link"}));
}

TEST_F(CalendarsLineTest, AllowingAccessBringsTheChooser)
{
    env.desktop.setCalendarAccess(CalendarAccess::notDetermined);
    CalendarsLine line(focus());
    EXPECT_EQ(line.accessText(), "Calendar triggers need access to your calendars.");
    EXPECT_EQ(line.accessButton()->text(), "Allow");
    line.accessButton()->click();
    ASSERT_TRUE(settle([&] { return focus().calendarStatus() == CalendarAccess::fullAccess; }));
    EXPECT_FALSE(line.accessRowShown());
    EXPECT_TRUE(line.chooseButton()->isVisibleTo(&line));
}

} // namespace
} // namespace tavrin
