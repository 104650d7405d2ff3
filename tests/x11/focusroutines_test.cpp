#include "a11ybusannouncer.h"
#include "atspiclient.h"
#include "programtest.h"
#include "support/privatebus.h"

#include <QDir>

namespace tavrin {
namespace {

// The built program on a real X server, its windows published on an
// accessibility bus of the test's own and its intents on a session bus of
// the test's own; the test drives the Settings window as assistive
// technology would.
class X11FocusRoutinesTest : public X11ProgramTest {
protected:
    // What "focus.routines" holds in the program's settings file now.
    QByteArray storedRoutines() const { return stored(QStringLiteral("focus.routines")).toByteArray(); }

    // `tavrin intent --help` as a second shell of the same user, on the same
    // settings, runs it.
    QString intentHelp(const PrivateBus& bus)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVRIN_BINARY), {QStringLiteral("intent"), QStringLiteral("--help")});
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // Waits for the object and presses it.
    bool press(const AtspiClient& ui, const QString& name, const QString& role = {})
    {
        std::optional<AtspiClient::Node> node;
        waitUntil([&] { return (node = ui.find(name, role)).has_value(); }, 30.0);
        return node && ui.press(*node);
    }
};

TEST_F(X11FocusRoutinesTest, TheModesPaneEditsRoutinesThatAreStoredAndOfferedAtOnce)
{
    PrivateBus session;
    PrivateBus a11y;
    if (session.address().isEmpty() || a11y.address().isEmpty())
        GTEST_SKIP() << "no bus could be started: " << (session.problem() + a11y.problem()).toStdString();
    const A11yBusAnnouncer announcer(session.connect(QStringLiteral("a11y-announcer")), a11y.address());
    ASSERT_TRUE(announcer.registered());
    programEnvironment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session.address());
    programEnvironment_.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"))) << output_.toStdString();
    const AtspiClient ui(a11y.connect(QStringLiteral("focus-routines-test")));

    // The program is on the accessibility bus once it has been told where it is.
    ASSERT_TRUE(waitUntil([&] { return !ui.applications().isEmpty(); }, 30.0));

    // The command bar, without AI, offers the way to Settings.
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("alt+space")}));
    if (!press(ui, QStringLiteral("Use my Claude key"))) {
        saveScreenshot(QStringLiteral("focus-routines-no-setup-card.png"));
        FAIL() << "no \"Use my Claude key\" on the accessibility bus; the program said: "
               << tavrin_.readAllStandardError().toStdString();
    }
    ASSERT_TRUE(press(ui, QStringLiteral("Modes")));

    ASSERT_TRUE(press(ui, QStringLiteral("New routine")));
    EXPECT_TRUE(waitUntil([&] { return storedRoutines().contains("\"Routine 2\""); }, 10.0))
        << storedRoutines().toStdString();
    EXPECT_TRUE(intentHelp(session).contains(QStringLiteral("ROUTINE is one of Deep work, Routine 2.")))
        << intentHelp(session).toStdString();

    // The first card's "…", "Rename…", and a new name. Menus and popovers are
    // popups, which Qt leaves out of the accessible tree: they are worked
    // with the keyboard, as the popup holds it.
    ASSERT_TRUE(press(ui, QStringLiteral("More")));
    pause(1.0);
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return")}));
    pause(1.0);
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")}));
    ASSERT_TRUE(xdotool({QStringLiteral("type"), QStringLiteral("Standup")}));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    EXPECT_TRUE(waitUntil([&] { return storedRoutines().contains("\"Standup\""); }, 10.0));
    EXPECT_TRUE(intentHelp(session).contains(QStringLiteral("ROUTINE is one of Standup, Routine 2.")))
        << intentHelp(session).toStdString();
    EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
}

} // namespace
} // namespace tavrin
