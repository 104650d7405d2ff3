#pragma once

#include "platform/geometry.h"

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class QProcess;

namespace tavrin {

// A private X server (Xvfb) with monitors and the openbox window manager, for
// the tests and benchmarks of the X11 desktop. Openbox runs with no mouse
// bindings and, unless given some, no key bindings of its own, so that every
// key combination can be grabbed.
class XvfbSession {
public:
    // How long the X11 test support waits for a program (the X server, the
    // window manager, a client, the program under test) to start or to do
    // what it was asked. Generous: a loaded machine makes every step slow,
    // and only a failure waits it out.
    static constexpr double kWaitSeconds = 30.0;

    struct Monitor {
        QString name;
        Rect frame;
    };
    struct Options {
        int width = 3440;
        int height = 1440;
        // Two side-by-side halves by default; the first takes the screen's output.
        std::vector<Monitor> monitors{{QStringLiteral("LEFT"), Rect(0, 0, 1720, 1440)},
                                      {QStringLiteral("RIGHT"), Rect(1720, 0, 1720, 1440)}};
        bool windowManager = true;
        // "openbox", or "xfwm4" (its compositor off unless `compositor`; the
        // two keys below are openbox's).
        QString windowManagerProgram = QStringLiteral("openbox");
        bool compositor = false;
        // The inside of openbox's <keyboard> section: its own key bindings.
        QString windowManagerKeys;
        // The inside of its <mouse> section: none unless given.
        QString windowManagerMouse;
        // A second X screen (the display's ".1"), 1280 × 800.
        bool secondScreen = false;
    };

    // Starts the server on a display no other server holds (Xvfb picks it).
    // Null with the reason in `error` when Xvfb or openbox is missing or does
    // not start; `noServer` tells whether it was the X server that could not
    // start.
    static std::unique_ptr<XvfbSession> start(QString* error, const Options& options, bool* noServer = nullptr);
    static std::unique_ptr<XvfbSession> start(QString* error) { return start(error, Options{}); }
    ~XvfbSession();

    QString display() const { return display_; }
    // A display that no X server holds at this moment (neither its socket nor
    // its lock file exists), for tests of what happens without one.
    static QString unusedDisplay();
    // The window manager's process (0 without one): tests stop it to play a
    // desktop that does not answer.
    qint64 windowManagerPid() const;
    // The environment for programs on this display.
    QProcessEnvironment environment() const;

    // A process that ends when this one does, however this one ends, so that
    // no server or client outlives an interrupted test.
    static std::unique_ptr<QProcess> childProcess();

    // Starts a compositor (xcompmgr) for the rest of the session and waits
    // until it has taken the screen; false with the reason in `error`.
    bool startCompositor(QString* error = nullptr);

    // Replaces the monitors (the RandR 1.5 monitor list).
    bool setMonitors(const std::vector<Monitor>& monitors, QString* error = nullptr);
    // Gives openbox other key bindings of its own and has it read its
    // configuration again; it lets go of the old keys and grabs the new ones
    // a moment later.
    bool setWindowManagerKeys(const QString& keyboard, QString* error = nullptr);

private:
    XvfbSession() = default;
    bool startServer(QString* error);
    bool writeWindowManagerConfig(QString* error);
    bool startWindowManager(QString* error);
    // A session bus of the window manager's own (xfwm4 keeps its settings
    // there); answers its address, empty when it does not start.
    QString startBus(QString* error);

    Options options_;
    QString display_;
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> windowManager_;
    std::unique_ptr<QProcess> compositor_;
    std::unique_ptr<QProcess> bus_;
};

} // namespace tavrin
