#pragma once

#include "platform/accessibility.h"
#include "platform/linux/qtclock.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11desktop.h"
#include "support/x11/x11testclient.h"
#include "support/x11/xvfbsession.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace tavrin {

// A private Xvfb with two monitors (LEFT and RIGHT, 1720 × 1440 each) and
// openbox, the X11 desktop connected to it, and a connection of the test's
// own to check what the backend reports against the server.
class X11Test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual XvfbSession::Options sessionOptions() const { return {}; }

    // A client window in its own process; fails the test when it does not map.
    X11TestClient* startClient(X11TestClient::Options options);
    X11TestClient* startClient(const QString& title, Rect client);

    // The kinds of client the tests start, by name. Each is an ordinary plain
    // X client (at 100, 100, 400 × 300 unless told) but for what its name says.
    static X11TestClient::Options plainClient(const QString& title, Rect client = X11TestClient::Options{}.client);
    // An ordinary Qt window.
    static X11TestClient::Options qtClient(const QString& title, Rect client = X11TestClient::Options{}.client);
    // A client of an old toolkit: WM_NAME only, no _NET_WM_PID, refuses the
    // focus (as xclock does).
    static X11TestClient::Options oldClient(const QString& title);
    // A client that allows no size below `min` (nor above `max` when given).
    static X11TestClient::Options limitedClient(const QString& title, Rect client, Size min, Size max = {});
    // A dock (a panel) covering `area`, reserving `strut` (the twelve values
    // of _NET_WM_STRUT_PARTIAL) when given.
    static X11TestClient::Options dock(const QString& title, Rect area, std::vector<std::uint32_t> strut = {});
    // One process with `count` windows: "<title>", "<title> 2", … 40 points apart.
    static X11TestClient::Options manyWindows(const QString& title, int count);
    // A client of the application class `wmClass`.
    static X11TestClient::Options ofClass(const QString& title, const QString& wmClass);

    AXElement element(const X11TestClient* c) const { return {c->pid(), c->window()}; }
    // Starts xterm (80 × 24 characters, its top-left corner at `x`, `y`, in
    // `folder` when given, with any further arguments) and returns its
    // window; fails the test when xterm is missing or shows no window.
    AXElement startXterm(int x, int y, const QString& folder = {}, const QStringList& arguments = {});

    // Runs the event loop until `done` holds or `seconds` have passed (by
    // default the support's bound on waiting for a real program).
    bool waitUntil(const std::function<bool()>& done, double seconds = XvfbSession::kWaitSeconds);
    // The same without the event loop, so that the backend reads no event
    // meanwhile: `done` should ask on the test's own connection.
    static bool holdUntil(const std::function<bool()>& done);
    // The requests the backend sends to the server on `conn` while `f` runs.
    static std::uint32_t requestsDuring(X11Connection& conn, const std::function<void()>& f);

    // Ground truth from the test's own connection: the window manager's
    // frame window that holds a client (the client itself when unframed, 0
    // when it cannot be read) and its geometry, and the server's active window.
    xcb_window_t frameWindow(xcb_window_t client);
    Rect frameWindowGeometry(xcb_window_t client);
    xcb_window_t activeWindow();
    std::vector<xcb_atom_t> wmState(xcb_window_t client);
    bool hasState(xcb_window_t client, xcb_atom_t state);
    // Activates a window from the test's own connection (as a pager would)
    // and waits until it is active: window managers may keep a newly mapped
    // window behind the active one.
    bool activate(xcb_window_t window);
    // Waits until the window manager has done what it was asked before now
    // and sent what that made it send (a round trip through it); false when
    // it did not answer.
    bool windowManagerCaughtUp();
    // Stops the window manager (SIGSTOP) to play a desktop that does not
    // answer, once it has caught up: stopped in the middle of its work on a
    // new window it may hold a grab of the whole server. False when there is
    // none or it did not catch up.
    bool stopWindowManager();
    void continueWindowManager();
    // Runs xdotool on the display; true when it exits with 0.
    bool xdotool(const QStringList& args);
    // The screen as it is (the part `crop` covers, when given), kept beside
    // the test binary under artifacts/ as `name`.
    void saveScreenshot(const QString& name, const Rect& crop = {});
    // The screen as it is (the part `crop` covers, when given); a null image
    // when the server does not answer.
    QImage screenshot(const Rect& crop = {});
    // Keeps a picture beside the test binary under artifacts/ as `name`.
    void saveImage(const QImage& image, const QString& name);

    Accessibility& ax() { return *platform_.accessibility; }

    std::unique_ptr<XvfbSession> session_;
    std::unique_ptr<X11Desktop> desktop_;
    std::unique_ptr<X11Connection> probe_;
    QtClock clock_;
    MemoryDefaults defaults_;
    Platform platform_;
    std::vector<std::unique_ptr<X11TestClient>> clients_;
    std::vector<std::unique_ptr<QProcess>> programs_;
};

} // namespace tavrin
