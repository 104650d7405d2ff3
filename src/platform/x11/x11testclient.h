#pragma once

#include "platform/geometry.h"

#include <QProcessEnvironment>
#include <QString>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

class QProcess;

namespace tavrin {

// A client window in a process of its own, for the tests and benchmarks of
// the X11 desktop: the running program started again in client mode, so
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
        bool closes = true; // closes on WM_DELETE_WINDOW
        bool lingers = false; // keeps running once its last window has closed
        int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
        QString type;             // "", "normal", "dialog" or "dock"
        bool transient = false;   // WM_TRANSIENT_FOR the root window
        std::vector<std::uint32_t> strut; // _NET_WM_STRUT_PARTIAL
        bool qt = false;
        int windows = 1; // more windows: titled "<title> 2", … and placed 40 points apart
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
    // Stops and continues the process (a program that hangs).
    void freeze();
    void thaw();

    // In a process started in client mode, runs the client and never returns.
    static void runIfClientProcess();
    // What starts this program in client mode: the environment variable and
    // its value (for starting clients by other means, as a launcher would).
    static QString modeVariable();
    static QString modeValue(const Options& options);

private:
    X11TestClient() = default;
    std::unique_ptr<QProcess> process_;
    std::vector<xcb_window_t> windows_;
    bool frozen_ = false;
};

} // namespace tavrin
