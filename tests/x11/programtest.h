#pragma once

#include "support/x11/x11fixture.h"

#include <QByteArray>
#include <QProcess>
#include <QSize>
#include <QTemporaryDir>
#include <QVariantMap>

namespace tavrin {

// The built program managing the test's X11 desktop, driven from outside as
// a user drives it; stopped at the end of the test. Its settings live in a
// folder of the test's own.
class X11ProgramTest : public X11Test {
protected:
    void TearDown() override;

    // Starts the program on the desktop with these settings, its windows on
    // Qt's platform `qpa` ("offscreen": none on the desktop; "xcb": real
    // ones), and waits until it says it runs. Unless `firstRun`, the
    // first-run window stays closed.
    bool startTavrin(const QString& qpa = QStringLiteral("offscreen"), const QVariantMap& settings = {},
                     bool firstRun = false);
    // The environment the program runs in: the test's own, on the test's
    // display and settings folder, with `programEnvironment_` on top.
    QProcessEnvironment environmentFor(const QString& qpa, bool firstRun = false) const;
    // Ends it with SIGTERM; true when it exits cleanly.
    bool stopTavrin();
    // What the program has stored under `key` (null when nothing). Read
    // from its settings file without opening it as a settings store, which
    // would clear away the temporary file of a write in progress.
    QVariant stored(const QString& key) const;

    // Starts an xterm titled `title`, `cells` characters wide and high, with
    // its top left corner at `at` and any further arguments, and answers its
    // client window (0 when it does not come up). It is stopped at the end
    // of the test.
    xcb_window_t startTitledXterm(const QString& title, Point at, QSize cells = {90, 30},
                                  const QStringList& arguments = {});
    // Managed client windows, bottom to top.
    std::vector<xcb_window_t> clients();
    // The managed client window with this title, or 0.
    xcb_window_t clientTitled(const QString& title);
    // The program's menu-bar window while it is shown (the window manager
    // manages it, as it takes the focus); 0 when it is not.
    xcb_window_t menuBarWindow();
    QString titleOf(xcb_window_t window);
    bool isViewable(xcb_window_t window);
    // Lets the event loop run for this long.
    void pause(double seconds)
    {
        waitUntil([] { return false; }, seconds);
    }

    QTemporaryDir config_;
    // Set for the program on top of the test's own environment.
    QProcessEnvironment programEnvironment_;
    QProcess tavrin_;
    QByteArray output_;
};

} // namespace tavrin
