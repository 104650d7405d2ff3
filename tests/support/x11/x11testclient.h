#pragma once

#include "platform/geometry.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

class QProcess;

namespace tavrin {

// A client window in a process of its own, for the tests and benchmarks of
// the X11 desktop: the test-client program (tests/support/x11client), so
// that each window has its own pid and can be stopped like a hung program.
// The plain client speaks X directly and can leave out _NET_WM_PID, refuse
// focus, limit its size or reserve a screen edge; the Qt client is an
// ordinary Qt window.
class X11TestClient {
public:
    struct Options {
        QString title = QStringLiteral("Test window");
        bool legacyTitleOnly = false; // WM_NAME only, no _NET_WM_NAME
        QString instance = QStringLiteral("tavrin-test");
        QString wmClass = QStringLiteral("TavrinTest");
        Rect client{100, 100, 400, 300}; // the client area asked for
        bool setPid = true;
        bool acceptsFocus = true;
        bool takesFocus = false; // asks to be the active window once mapped (as a new browser window does)
        bool closes = true;      // closes on WM_DELETE_WINDOW
        bool lingers = false;    // keeps running once its last window has closed
        int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
        QString type;                     // "", "normal", "dialog" or "dock"
        bool transient = false;           // WM_TRANSIENT_FOR the root window
        std::vector<std::uint32_t> strut; // _NET_WM_STRUT_PARTIAL
        bool qt = false;
        int windows = 1;               // more windows: titled "<title> 2", … and placed 40 points apart
        QString background;            // the windows' colour ("#rrggbb"); white when empty
        bool fullScreen = false;       // asks for full screen before it maps
        bool above = false;            // asks to stay above the others before it maps
        bool child = false;            // the first window holds a child in its colour, made with it
        bool overrideRedirect = false; // the first window bypasses the window manager, as a menu does
        int border = 0;                // the first window's border width, in its colour
        // The first window made inside this window of another client's, at
        // `client`'s position in it, as a terminal told to embed itself does.
        xcb_window_t parent = 0;
        int mapDelay = 0;        // milliseconds between making the first window and mapping it
        int screen = 0;          // the X screen of its windows
        QString laterClass;      // the class of windows opened later ("": the first's; "-": none)
        QString laterBackground; // their colour ("": the first's)
    };

    // Starts a client and waits until its window is mapped. Null with the
    // reason in `error` when it does not come up.
    static std::unique_ptr<X11TestClient> start(const QProcessEnvironment& env, const Options& options,
                                                QString* error = nullptr);
    ~X11TestClient();

    int pid() const;
    xcb_window_t window() const { return windows_.front(); }
    const std::vector<xcb_window_t>& windows() const { return windows_; }
    bool isRunning() const;
    bool waitForExit(double seconds);
    // Tells the Qt client to "hide" its window, "show" it again, open a
    // "popup" (a window that bypasses the window manager, as menus do, in
    // the window's colour) or "close" the popup; tells the plain client with
    // a child to "raise" it above its siblings, 50 times 20 ms apart; tells
    // the plain client to "draw" over its first window and its children (a GC
    // that includes inferiors), 50 times 20 ms apart, or to "redirect" that
    // window's children (Composite, by hand), as a client that composites its
    // own content does, answering "redirected" once the server has done it.
    void tell(const QByteArray& command);
    // Tells it `command` and waits until it says `word` (false: it did not, or ended).
    bool answer(const QByteArray& command, const QByteArray& word);
    // Tells the plain client to open one more window (of `laterClass`);
    // answers it, 0 when it did not say.
    xcb_window_t open();
    // Stops and continues the process (a program that hangs).
    void freeze();
    void thaw();

    // The program and its arguments that start such a client, for starting
    // it by other means (as a desktop entry would).
    static QStringList command(const Options& options);

private:
    X11TestClient() = default;
    std::unique_ptr<QProcess> process_;
    std::vector<xcb_window_t> windows_;
    bool frozen_ = false;
};

} // namespace tavrin
