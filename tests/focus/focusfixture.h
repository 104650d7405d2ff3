#pragma once

#include "focus/focus.h"
#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "platform/linux/qthttpclient.h"
#include "support/loopbackserver.h"
#include "support/simfixture.h"
#include "support/workspacefakes.h"
#include "windows/windowmanager.h"
#include "workspaces/workspacerunner.h"

#include <QStringList>
#include <memory>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tavrin {

// One display, 2026-12-07 09:00 UTC (a Monday) on virtual time, read in UTC.
// Running, front to back: Safari (in front), Slack, Mail, FaceTime and
// Xcode, one window each; Discord is installed and opens a window a second
// after its launch. The calendars "work" and "home" can be read; the
// shortcuts are "Focus on" and "Focus off". Calendar links go to a loopback
// server.
class FocusTest : public ::testing::Test {
protected:
    FocusTest();

    // The engine, made on first use: set stored settings before.
    Focus& focus();
    // A switched-on routine without triggers or actions.
    static FocusRoutine routine(const QString& name);
    // Stores the routines (before the engine is made) or gives them to it.
    void setRoutines(const QList<FocusRoutine>& routines);

    bool isHidden(const QString& app) const;
    bool isRunning(const QString& app) const;
    // An event of the "work" calendar, `from` and `to` seconds from now.
    void addEvent(const QString& title, double from, double to, bool allDay = false,
                  const QString& calendar = QStringLiteral("work"));
    // What the Shortcuts tool was asked to run, in order.
    QStringList shortcutRuns() const;
    // Puts meeting mode in a call on the FaceTime window.
    void startCall();
    // A calendar link on the loopback server that answers with `body`.
    QString link(const QByteArray& path, const QByteArray& body, int status = 200);
    // Runs loopback I/O and the clock's due timers until `done` holds.
    bool settle(const std::function<bool()>& done, int limitMs = testing::kLoopbackPatienceMs);

    SimEnvironment env;
    WindowManager windows;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner{windows, Platform::current(), active};
    FakeAutoArrange autoArrange;
    MeetingMode meeting{windows, autoArrange, Platform::current()};
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe shareSafe{prompt, Platform::current()};
    CountingShortcutParameters parameters;
    Registration parametersRegistration = ShortcutParameters::install(parameters);
    QtHttpClient http{env.clock};
    testing::LoopbackServer server;

private:
    std::unique_ptr<Focus> focus_;
};

// An iCalendar feed of these VEVENT blocks (each given as its lines).
QByteArray calendarFeed(const QList<QStringList>& events);
// An instant as iCalendar UTC text ("20261207T090000Z").
QString icsTime(double instant);

} // namespace tavrin
