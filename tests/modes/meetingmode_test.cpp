#include "modes/appidentities.h"
#include "modes/meetingmode.h"
#include "modes/sharesafe.h"

#include "support/simfixture.h"
#include "support/workspacefakes.h"
#include "windows/display.h"
#include "windows/windowmanager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

namespace tavrin {
namespace {

// An ultrawide display (5120 × 1440, the menu bar on it) and a 1920 × 1080
// one to its right. Front to back: a FaceTime call on the wide display, notes
// in Obsidian on the small one, a Safari window, notes in Notes on the wide one.
const QByteArray kScenario = R"({
  "displays": [
    { "name": "Wide", "frame": [0, 0, 5120, 1440] },
    { "name": "Small", "frame": [5120, 0, 1920, 1080] }
  ],
  "apps": [
    { "name": "FaceTime" }, { "name": "Obsidian" }, { "name": "Safari" }, { "name": "Notes" }
  ],
  "windows": [
    { "app": "FaceTime", "title": "FaceTime", "frame": [300, 200, 900, 700] },
    { "app": "Obsidian", "title": "Vault", "frame": [5300, 100, 1000, 800] },
    { "app": "Safari", "title": "News", "frame": [1500, 100, 1200, 900] },
    { "app": "Notes", "title": "Agenda", "frame": [3000, 400, 800, 700] }
  ]
})";

class MeetingModeTest : public ::testing::Test {
protected:
    MeetingModeTest()
    {
        autoArrange.onPause = [this](double seconds) { pauses.push_back(seconds); };
    }

    Rect frame(const QString& title) const { return env.window(title)->frame; }
    Rect area(std::size_t display) const { return Display::all().at(display).area; }
    // Turns the microphone on and runs the checks of the next `seconds`.
    void talkFor(double seconds)
    {
        env.desktop.setMicrophoneInUse(true);
        env.clock.advance(seconds);
    }

    SimEnvironment env{kScenario};
    WindowManager windows;
    FakeAutoArrange autoArrange;
    std::vector<double> pauses;
    MeetingMode mode{windows, autoArrange, Platform::current()};
};

TEST_F(MeetingModeTest, ACallIsPlacedAtTheFirstCheckMoreThanTwoSecondsAfterTheMicrophoneWasSeen)
{
    const Rect before = frame("FaceTime");
    mode.start();
    mode.start(); // a second start adds no second timer
    env.desktop.setMicrophoneInUse(true);
    env.clock.advance(1.0);
    ASSERT_TRUE(mode.microphoneOnSince());
    EXPECT_EQ(*mode.microphoneOnSince(), 1.0);
    // Checks at 2 s and 3 s: 1.0 and exactly 2.0 seconds of use, not enough.
    env.clock.advance(2.0);
    EXPECT_FALSE(mode.inCall());
    EXPECT_EQ(frame("FaceTime"), before);
    EXPECT_TRUE(pauses.empty());
    // The check at 4 s: 3.0 seconds.
    QSignalSpy calls(&mode, &MeetingMode::inCallChanged);
    env.clock.advance(1.0);
    EXPECT_TRUE(mode.inCall());
    EXPECT_EQ(calls.count(), 1);
    EXPECT_NE(frame("FaceTime"), before);
    EXPECT_EQ(pauses, std::vector<double>{5.0});
}

TEST_F(MeetingModeTest, AMicrophoneOnForLessThanTwoSecondsMovesNothing)
{
    mode.start();
    talkFor(2.0);
    env.desktop.setMicrophoneInUse(false);
    env.clock.advance(5.0);
    EXPECT_FALSE(mode.inCall());
    EXPECT_FALSE(mode.microphoneOnSince());
    EXPECT_EQ(frame("FaceTime"), Rect(300, 200, 900, 700));
}

TEST_F(MeetingModeTest, PlacementsOnOrdinaryAndUltrawideDisplays)
{
    struct Case {
        Rect area;
        bool notes;
        UnitRect call;
        std::optional<UnitRect> below;
    };
    const Case cases[] = {
        {{0, 24, 5120, 1416}, false, {0.33, 0, 0.34, 0.62}, std::nullopt},
        {{0, 24, 5120, 1416}, true, {0.33, 0, 0.34, 0.56}, UnitRect{0.33, 0.56, 0.34, 0.44}},
        {{0, 0, 1920, 1080}, false, {0.25, 0, 0.5, 0.62}, std::nullopt},
        {{0, 0, 1920, 1080}, true, {0.25, 0, 0.5, 0.56}, UnitRect{0.25, 0.56, 0.5, 0.44}},
        // A display without height counts as ordinary.
        {{0, 0, 1920, 0}, false, {0.25, 0, 0.5, 0.62}, std::nullopt},
    };
    for (const Case& c : cases) {
        const MeetingMode::Placement p = MeetingMode::placement(c.area, c.notes);
        EXPECT_TRUE(p.call.near(c.call, 1e-9)) << c.area.width << "x" << c.area.height << " notes " << c.notes;
        EXPECT_EQ(p.notes.has_value(), c.below.has_value());
        if (p.notes && c.below) {
            EXPECT_TRUE(p.notes->near(*c.below, 1e-9));
        }
    }
}

TEST_F(MeetingModeTest, TheCallGoesUnderTheCameraWithTheNotesOfItsDisplayBelowAndInFront)
{
    mode.start();
    talkFor(4.0);
    ASSERT_TRUE(mode.inCall());
    const Rect wide = area(0);
    // Notes in Notes on the wide display win over Obsidian in front of them
    // on the other display.
    EXPECT_EQ(frame("FaceTime"), UnitRect(0.33, 0, 0.34, 0.56).rect(wide, 8));
    EXPECT_EQ(frame("Agenda"), UnitRect(0.33, 0.56, 0.34, 0.44).rect(wide, 8));
    EXPECT_EQ(frame("Vault"), Rect(5300, 100, 1000, 800));
    // Raised notes first, then the call.
    EXPECT_EQ(env.desktop.windows().at(0).title, "FaceTime");
    EXPECT_EQ(env.desktop.windows().at(1).title, "Agenda");
    ASSERT_EQ(mode.restoreList().size(), 2u);
    EXPECT_EQ(mode.restoreList()[0].second, Rect(300, 200, 900, 700));
    EXPECT_EQ(mode.restoreList()[1].second, Rect(3000, 400, 800, 700));

    // The microphone is free: both go back, auto-arrange paused again.
    env.desktop.setMicrophoneInUse(false);
    env.clock.advance(1.0);
    EXPECT_FALSE(mode.inCall());
    EXPECT_EQ(frame("FaceTime"), Rect(300, 200, 900, 700));
    EXPECT_EQ(frame("Agenda"), Rect(3000, 400, 800, 700));
    EXPECT_TRUE(mode.restoreList().empty());
    EXPECT_EQ(pauses, (std::vector<double>{5.0, 5.0}));
}

TEST_F(MeetingModeTest, NotesFromAnotherDisplayComeToTheCallsDisplay)
{
    env.desktop.removeApp(env.pid("Notes"));
    // The call on the small display, without a height for its notes there.
    env.desktop.setFrame(env.window("FaceTime")->token, Rect(5200, 100, 800, 600));
    env.desktop.setFrame(env.window("Vault")->token, Rect(100, 100, 1000, 800));
    mode.start();
    talkFor(4.0);
    ASSERT_TRUE(mode.inCall());
    // 1920 × 1080 from the top: the call half as wide, centred; its edges
    // land on whole points inside the gap.
    EXPECT_EQ(frame("FaceTime"), Rect(5606, 8, 948, 592));
    EXPECT_EQ(frame("Vault"), UnitRect(0.25, 0.56, 0.5, 0.44).rect(area(1), 8));
}

TEST_F(MeetingModeTest, WithoutNotesTheCallIsTaller)
{
    env.desktop.removeApp(env.pid("Notes"));
    env.desktop.removeApp(env.pid("Obsidian"));
    mode.start();
    talkFor(4.0);
    ASSERT_TRUE(mode.inCall());
    EXPECT_EQ(frame("FaceTime"), UnitRect(0.33, 0, 0.34, 0.62).rect(area(0), 8));
    EXPECT_EQ(mode.restoreList().size(), 1u);
}

TEST_F(MeetingModeTest, ACallWindowThatDoesNotAnswerIsTriedAgainAtEveryCheck)
{
    env.desktop.setTimesOut(env.pid("FaceTime"), true);
    mode.start();
    talkFor(6.0);
    EXPECT_FALSE(mode.inCall());
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(frame("Agenda"), Rect(3000, 400, 800, 700));
    env.desktop.setTimesOut(env.pid("FaceTime"), false);
    env.clock.advance(1.0);
    EXPECT_TRUE(mode.inCall());
}

TEST_F(MeetingModeTest, SwitchingOffDuringACallPutsBothBackAtOnceAndStoresTheSwitch)
{
    mode.start();
    talkFor(4.0);
    ASSERT_TRUE(mode.inCall());
    mode.setEnabled(false);
    EXPECT_FALSE(mode.inCall());
    EXPECT_EQ(frame("FaceTime"), Rect(300, 200, 900, 700));
    EXPECT_EQ(frame("Agenda"), Rect(3000, 400, 800, 700));
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.meeting")), QVariant(false));
    // Off, checks change nothing; the microphone's stretch of use is kept, so
    // switching on again places the call at the next check.
    env.clock.advance(3.0);
    EXPECT_FALSE(mode.inCall());
    mode.setEnabled(true);
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.meeting")), QVariant(true));
    env.clock.advance(1.0);
    EXPECT_TRUE(mode.inCall());
}

TEST_F(MeetingModeTest, WithoutTrustACallStaysPlacedUntilTrustReturnsAndTheMicrophoneIsFree)
{
    mode.start();
    talkFor(4.0);
    ASSERT_TRUE(mode.inCall());
    const Rect placed = frame("FaceTime");
    env.desktop.setTrusted(false);
    env.desktop.setMicrophoneInUse(false);
    env.clock.advance(3.0);
    EXPECT_TRUE(mode.inCall());
    EXPECT_EQ(frame("FaceTime"), placed);
    env.desktop.setTrusted(true);
    env.clock.advance(1.0);
    EXPECT_FALSE(mode.inCall());
    EXPECT_EQ(frame("FaceTime"), Rect(300, 200, 900, 700));
}

TEST_F(MeetingModeTest, AClosedCallWindowIsSkippedWhenTheCallEnds)
{
    mode.start();
    talkFor(4.0);
    ASSERT_TRUE(mode.inCall());
    env.desktop.removeWindow(env.window("FaceTime")->token);
    env.clock.advance(3.0); // the microphone stays in use: nothing happens
    EXPECT_TRUE(mode.inCall());
    env.desktop.setMicrophoneInUse(false);
    env.clock.advance(1.0);
    EXPECT_FALSE(mode.inCall());
    EXPECT_EQ(frame("Agenda"), Rect(3000, 400, 800, 700));
}

TEST_F(MeetingModeTest, TheSwitchIsReadFromTheSettingsAndOnUnlessABoolSaysOff)
{
    struct Case {
        std::optional<QVariant> stored;
        bool enabled;
    };
    const Case cases[] = {{std::nullopt, true},
                          {QVariant(false), false},
                          {QVariant(true), true},
                          {QVariant(QStringLiteral("NO")), true},
                          {QVariant(qint64(0)), true}};
    for (const Case& c : cases) {
        env.defaults.remove(QStringLiteral("mode.meeting"));
        if (c.stored)
            env.defaults.setValue(QStringLiteral("mode.meeting"), *c.stored);
        EXPECT_EQ(MeetingMode(windows, autoArrange, Platform::current()).enabled(), c.enabled)
            << (c.stored ? c.stored->toString().toStdString() : "missing");
    }
}

// Debian's browsers and a call client with no desktop entry, named as the
// desktop names them: each call is placed as it would be in Chrome.
TEST(CallWindows, CallsInLinuxBrowsersAndUnlistedClientsArePlaced)
{
    struct Case {
        const char* app;      // the entry's name, else the window class
        const char* bundleId; // the desktop entry; empty when none is installed
        const char* title;
    };
    const Case cases[] = {
        {"firefox-esr", "", "Meet - abc-defg-hij — Mozilla Firefox"},
        {"Firefox ESR", "firefox-esr", "Meet - abc-defg-hij — Mozilla Firefox"},
        {"firefox", "", "Standup – Google Meet — Mozilla Firefox"},
        {"Chromium", "", "Meet - xyz-abcd-efg - Chromium"},
        {"zoom", "", "Zoom Meeting"},
        {"zoom ", "", "Zoom Meeting"}, // a class padded with a space
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.app) + " / " + c.title);
        const QJsonObject app{{"name", c.app}, {"bundleId", c.bundleId}};
        const QJsonObject window{{"app", c.app}, {"title", c.title}, {"frame", QJsonArray{100, 100, 800, 600}}};
        const QJsonObject scenario{
            {"displays", QJsonArray{QJsonObject{{"name", "Only"}, {"frame", QJsonArray{0, 0, 1920, 1080}}}}},
            {"apps", QJsonArray{app}},
            {"windows", QJsonArray{window}}};
        SimEnvironment env{QJsonDocument(scenario).toJson()};
        WindowManager windows;
        FakeAutoArrange autoArrange;
        MeetingMode mode{windows, autoArrange, Platform::current()};
        mode.start();
        env.desktop.setMicrophoneInUse(true);
        env.clock.advance(4.0);
        EXPECT_TRUE(mode.inCall());
        const Rect area = Display::all().at(0).area;
        const UnitRect call = MeetingMode::placement(area, false).call;
        // Placed with the window gap around it.
        EXPECT_TRUE(UnitRect::fromFrame(env.window(c.title)->frame, area).near(call, 0.02));
    }
}

TEST(CallWindows, ByApplicationAndTitle)
{
    struct Case {
        QString app;
        QString title;
        bool call;
    };
    const Case cases[] = {
        {MeetingMode::kCallClient, "Zoom Meeting", true},
        {MeetingMode::kCallClient, "Zoom Webinar", true},
        {MeetingMode::kCallClient, "Zoom Workplace", false},
        {"Microsoft Teams", "Design review | Microsoft Teams", true},
        {"Microsoft Teams", "Call with Sam", true},
        {"Microsoft Teams", "Chat", false},
        {"FaceTime", "", true},
        {"Around", "anything", true},
        {"Safari", "MEET - abc-defg-hij", true},
        {"Google Chrome", "Standup – Google Meet", true},
        {"Arc", "meet.google.com/abc-defg-hij", true},
        {"Vivaldi", "Standup – MEET.Google.com", true},
        {"Safari", "Meet", false}, // shorter than every word looked for
        {"Safari", "Meeting notes – Docs", false},
        {"TextEdit", "Meet - abc-defg-hij", false},
        {"Notes", "Meeting", false},
        {"", "Meet - abc", false},
        {"microsoft teams", "Meeting", false}, // names are compared exactly
    };
    for (const Case& c : cases)
        EXPECT_EQ(MeetingMode::isCallWindow(c.app, c.title), c.call)
            << c.app.toStdString() << ": " << c.title.toStdString();
}

TEST(CallWindows, TheListedApplicationsAreKnownByTheirLinuxIdentitiesToo)
{
    struct Case {
        QString name;      // the running application's name (entry Name, else window class)
        QString desktopId; // its desktop entry, when one matched
        QString meeting;   // the meeting (or browser) app it is, or empty
        QString notes;     // the notes app it is, or empty
        QString call;      // the call app Share-safe knows it as, or empty
    };
    const QString zoom = MeetingMode::kCallClient;
    const Case cases[] = {
        {"Zoom Workplace", "Zoom.desktop", zoom, "", zoom},
        {"zoom", "", zoom, "", zoom}, // no entry installed: its window class
        {"Zoom", "us.zoom.Zoom", zoom, "", zoom},
        {"teams-for-linux", "", "Microsoft Teams", "", "Microsoft Teams"},
        {"Webex", "webex.desktop", "Webex", "", "Webex"},
        {"Slack", "slack.desktop", "", "", "Slack"},
        {"discord", "", "", "", "Discord"},
        {"Obsidian", "md.obsidian.Obsidian", "", "Obsidian", ""},
        {"logseq", "", "", "Logseq", ""},
        {"notion-app", "", "", "Notion", ""},
        // The Mac's own notes programs give way to Linux ones.
        {"Joplin", "net.cozic.joplin_desktop", "", "Joplin", ""},
        {"KNotes", "org.kde.knotes", "", "KNotes", ""},
        {"Notes", "org.gnome.Notes", "", "Notes", ""},
        {"Bear", "", "", "", ""},
        {"Google Chrome", "google-chrome", "Google Chrome", "", ""},
        // Applications no list names, whatever they are called.
        {"Zoom Out", "", "", "", ""},
        {"Thunderbird", "org.mozilla.Thunderbird", "", "", ""},
        {"Firefox ESR", "firefox-esr", "Firefox", "", ""},
        {"Chromium", "", "Chromium", "", ""},
        {"GNOME Calls", "org.gnome.Calls", "", "", ""},
        {"", "Zoom.desktop", "", "", ""},
    };
    // The routines' call apps are among Share-safe's.
    const QSet<QString>& callApps = ShareSafe::callApps();
    for (const Case& c : cases) {
        SCOPED_TRACE((c.name + " " + c.desktopId).toStdString());
        RunningApp app;
        app.pid = 7;
        app.localizedName = c.name;
        app.bundleIdentifier = c.desktopId;
        EXPECT_EQ(MeetingMode::callAppName(app), c.meeting);
        EXPECT_EQ(AppIdentities::listedAs(app, MeetingMode::notesApps()), c.notes);
        EXPECT_EQ(AppIdentities::listedAs(app, callApps), c.call);
    }
    // Only applications the lists name have Linux identities, and those
    // only another system has (FaceTime, Apple Notes, Bear, Craft, Around)
    // have none.
    for (const QString& listed : AppIdentities::linuxIdentities().keys())
        EXPECT_TRUE(MeetingMode::meetingApps().contains(listed) || MeetingMode::browserApps().contains(listed)
                    || MeetingMode::notesApps().contains(listed) || callApps.contains(listed))
            << listed.toStdString();
    for (const char* macOnly : {"FaceTime", "Apple Notes", "Bear", "Craft", "Around"})
        EXPECT_FALSE(AppIdentities::linuxIdentities().contains(macOnly));
}

} // namespace
} // namespace tavrin
