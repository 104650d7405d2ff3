#include "support/x11/xvfbsession.h"

#include "platform/x11/x11connection.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <sys/prctl.h>
#include <xcb/randr.h>

namespace tavrin {

namespace {
// Where a display that no server holds is looked for.
constexpr int kFirstUnusedDisplay = 200;
constexpr double kStartTimeout = XvfbSession::kWaitSeconds;

// %1: the key bindings; %2: the mouse bindings.
const char kOpenboxConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
  <keyboard>%1</keyboard>
  <mouse>%2</mouse>
</openbox_config>
)";

bool displayTaken(int n)
{
    return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
           || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n));
}

// The path of a program, or empty after saying which package brings it.
QString program(const QString& name, const QString& package, QString* error)
{
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty() && error)
        *error = QStringLiteral("%1 is not installed (Debian package %2).").arg(name, package);
    return path;
}

void stop(std::unique_ptr<QProcess>& p)
{
    if (!p)
        return;
    if (p->state() != QProcess::NotRunning) {
        p->terminate();
        if (!p->waitForFinished(2000)) {
            p->kill();
            p->waitForFinished(2000);
        }
    }
    p.reset();
}
} // namespace

std::unique_ptr<XvfbSession> XvfbSession::start(QString* error, const Options& options, bool* noServer)
{
    if (noServer)
        *noServer = false;
    std::unique_ptr<XvfbSession> s(new XvfbSession);
    s->options_ = options;
    if (!s->dir_.isValid()) {
        if (error)
            *error = QStringLiteral("Cannot make a temporary folder.");
        return nullptr;
    }
    if (!s->startServer(error)) {
        if (noServer)
            *noServer = true;
        return nullptr;
    }
    if (!options.monitors.empty() && !s->setMonitors(options.monitors, error))
        return nullptr;
    if (options.windowManager && !s->startWindowManager(error))
        return nullptr;
    return s;
}

XvfbSession::~XvfbSession()
{
    stop(compositor_);
    stop(windowManager_);
    stop(bus_);
    stop(server_);
}

std::unique_ptr<QProcess> XvfbSession::childProcess()
{
    auto p = std::make_unique<QProcess>();
    p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    return p;
}

qint64 XvfbSession::windowManagerPid() const { return windowManager_ ? windowManager_->processId() : 0; }

QProcessEnvironment XvfbSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.remove(QStringLiteral("XAUTHORITY"));
    return env;
}

QString XvfbSession::unusedDisplay()
{
    int n = kFirstUnusedDisplay;
    while (displayTaken(n))
        ++n;
    return QStringLiteral(":%1").arg(n);
}

bool XvfbSession::startServer(QString* error)
{
    const QString xvfb = program(QStringLiteral("Xvfb"), QStringLiteral("xvfb"), error);
    if (xvfb.isEmpty())
        return false;
    // Xvfb takes the first display that no server holds, which no test can
    // know beforehand, and writes its number once it accepts connections.
    auto server = childProcess();
    server->setStandardErrorFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                          QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(options_.width).arg(options_.height)};
    if (options_.secondScreen)
        arguments << QStringLiteral("-screen") << QStringLiteral("1") << QStringLiteral("1280x800x24");
    arguments << QStringLiteral("-nolisten") << QStringLiteral("tcp") << QStringLiteral("-noreset");
    server->start(xvfb, arguments);
    if (!server->waitForStarted(int(kStartTimeout * 1000))) {
        if (error)
            *error = QStringLiteral("Xvfb does not start: %1").arg(server->errorString());
        return false;
    }
    QByteArray number;
    const double deadline = X11Connection::steadyNow() + kStartTimeout;
    while (!number.contains('\n') && X11Connection::steadyNow() < deadline
           && server->waitForReadyRead(int((deadline - X11Connection::steadyNow()) * 1000) + 1))
        number += server->readAllStandardOutput();
    bool ok = false;
    number.trimmed().toInt(&ok);
    if (!number.contains('\n') || !ok) {
        if (error)
            *error = QStringLiteral("Xvfb named no display within %1 s.").arg(kStartTimeout);
        stop(server);
        return false;
    }
    display_ = QStringLiteral(":%1").arg(QString::fromLatin1(number.trimmed()));
    server_ = std::move(server);
    return true;
}

bool XvfbSession::startCompositor(QString* error)
{
    const QString xcompmgr = program(QStringLiteral("xcompmgr"), QStringLiteral("xcompmgr"), error);
    if (xcompmgr.isEmpty())
        return false;
    auto conn = X11Connection::open(display_, error);
    if (!conn)
        return false;
    compositor_ = childProcess();
    compositor_->setProcessEnvironment(environment());
    compositor_->setStandardOutputFile(QProcess::nullDevice());
    compositor_->setStandardErrorFile(QProcess::nullDevice());
    compositor_->start(xcompmgr, {});
    // A compositor announces itself by owning the screen's _NET_WM_CM_S0.
    const auto atomCookie = xcb_intern_atom(conn->xcb(), 0, 13, "_NET_WM_CM_S0");
    XcbReply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(conn->xcb(), atomCookie, nullptr));
    const double deadline = X11Connection::steadyNow() + kStartTimeout;
    while (atom && X11Connection::steadyNow() < deadline && compositor_->state() != QProcess::NotRunning) {
        const auto cookie = xcb_get_selection_owner(conn->xcb(), atom->atom);
        XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(conn->xcb(), cookie, nullptr));
        if (owner && owner->owner != XCB_NONE)
            return true;
        compositor_->waitForFinished(20);
    }
    if (error)
        *error = QStringLiteral("xcompmgr did not take the display %1.").arg(display_);
    return false;
}

bool XvfbSession::setMonitors(const std::vector<Monitor>& monitors, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString xrandr = program(QStringLiteral("xrandr"), QStringLiteral("x11-xserver-utils"), error);
    if (xrandr.isEmpty())
        return false;
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(xrandr, args);
        return p.waitForFinished(int(kStartTimeout * 1000)) && p.exitStatus() == QProcess::NormalExit
               && p.exitCode() == 0;
    };
    auto conn = X11Connection::open(display_, error);
    if (!conn)
        return false;
    auto* c = conn->xcb();
    auto current = [&]() -> std::optional<std::vector<std::pair<QString, bool>>> {
        const auto cookie = xcb_randr_get_monitors(c, conn->root(), 0);
        if (!conn->sync(kStartTimeout))
            return std::nullopt;
        XcbReply<xcb_randr_get_monitors_reply_t> r(xcb_randr_get_monitors_reply(c, cookie, nullptr));
        if (!r)
            return std::nullopt;
        std::vector<std::pair<QString, bool>> names;
        for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
            const auto nameCookie = xcb_get_atom_name(c, it.data->name);
            conn->sync(kStartTimeout);
            XcbReply<xcb_get_atom_name_reply_t> n(xcb_get_atom_name_reply(c, nameCookie, nullptr));
            names.push_back(
                {n ? QString::fromLatin1(xcb_get_atom_name_name(n.get()), xcb_get_atom_name_name_length(n.get()))
                   : QString(),
                 bool(it.data->automatic)});
        }
        return names;
    };
    const auto before = current();
    if (!before)
        return fail(QStringLiteral("The X server has no RandR 1.5 monitors."));
    for (const auto& [name, automatic] : *before)
        if (!automatic)
            run({QStringLiteral("--delmonitor"), name});
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Monitor& m = monitors[i];
        // Sizes in millimetres at 96 dpi; the first monitor takes the output.
        const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                     .arg(int(m.frame.width))
                                     .arg(int(m.frame.width * 25.4 / 96))
                                     .arg(int(m.frame.height))
                                     .arg(int(m.frame.height * 25.4 / 96))
                                     .arg(int(m.frame.x))
                                     .arg(int(m.frame.y));
        if (!run({QStringLiteral("--setmonitor"), m.name, geometry,
                  i == 0 ? QStringLiteral("screen") : QStringLiteral("none")}))
            return fail(QStringLiteral("xrandr did not set the monitor %1.").arg(m.name));
    }
    const auto after = current();
    if (!after || after->size() != monitors.size())
        return fail(QStringLiteral("The X server did not take the monitors."));
    return true;
}

bool XvfbSession::writeWindowManagerConfig(QString* error)
{
    const QString rc = dir_.filePath(QStringLiteral("rc.xml"));
    QFile f(rc);
    const QByteArray config =
        QString::fromLatin1(kOpenboxConfig).arg(options_.windowManagerKeys, options_.windowManagerMouse).toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(config) != config.size()) {
        if (error)
            *error = QStringLiteral("Cannot write %1.").arg(rc);
        return false;
    }
    return true;
}

bool XvfbSession::setWindowManagerKeys(const QString& keyboard, QString* error)
{
    options_.windowManagerKeys = keyboard;
    if (!windowManager_ || !writeWindowManagerConfig(error))
        return false;
    // SIGUSR2 makes openbox read its configuration file again.
    if (::kill(pid_t(windowManager_->processId()), SIGUSR2) != 0) {
        if (error)
            *error = QStringLiteral("openbox is not running.");
        return false;
    }
    return true;
}

QString XvfbSession::startBus(QString* error)
{
    bus_ = childProcess();
    bus_->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    QByteArray address;
    const double deadline = X11Connection::steadyNow() + kStartTimeout;
    while (!address.contains('\n') && X11Connection::steadyNow() < deadline && bus_->waitForReadyRead(500))
        address += bus_->readAllStandardOutput();
    if (!address.contains('\n') && error)
        *error = QStringLiteral("dbus-daemon does not start: %1").arg(bus_->errorString());
    return QString::fromUtf8(address.trimmed());
}

bool XvfbSession::startWindowManager(QString* error)
{
    const bool xfwm = options_.windowManagerProgram == QLatin1String("xfwm4");
    const QString openbox = program(options_.windowManagerProgram, options_.windowManagerProgram, error);
    if (openbox.isEmpty() || (!xfwm && !writeWindowManagerConfig(error)))
        return false;
    const QString rc = dir_.filePath(QStringLiteral("rc.xml"));
    windowManager_ = childProcess();
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("HOME"), dir_.path()); // openbox keeps its session files there
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir_.filePath(QStringLiteral("cache")));
    // Its themes come from the system's folders, whatever the caller's are.
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.remove(QStringLiteral("XDG_DATA_DIRS"));
    env.remove(QStringLiteral("XDG_CONFIG_DIRS"));
    if (xfwm) {
        const QString bus = startBus(error);
        if (bus.isEmpty())
            return false;
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    }
    windowManager_->setProcessEnvironment(env);
    windowManager_->setStandardOutputFile(QProcess::nullDevice());
    windowManager_->setStandardErrorFile(dir_.filePath(QStringLiteral("openbox.log")));
    // Frames built otherwise than openbox's, drawn with or without its compositor.
    const QString compositor =
        options_.compositor ? QStringLiteral("--compositor=on") : QStringLiteral("--compositor=off");
    windowManager_->start(openbox,
                          xfwm ? QStringList{compositor, QStringLiteral("--sm-client-disable")}
                               : QStringList{QStringLiteral("--sm-disable"), QStringLiteral("--config-file"), rc});
    if (!windowManager_->waitForStarted(int(kStartTimeout * 1000))) {
        if (error)
            *error = QStringLiteral("openbox does not start: %1").arg(windowManager_->errorString());
        return false;
    }
    auto conn = X11Connection::open(display_, error);
    if (!conn)
        return false;
    auto* c = conn->xcb();
    const auto& e = *conn->ewmh();
    auto managed = [&](xcb_window_t w) {
        auto cookie = conn->requestProperty(conn->root(), e._NET_CLIENT_LIST, XCB_ATOM_WINDOW, 1024);
        if (!conn->sync(kStartTimeout))
            return false;
        const auto ids = X11Connection::cardinals(conn->takeProperty(cookie).get());
        return std::find(ids.begin(), ids.end(), w) != ids.end();
    };
    // Openbox names itself on the root window before it has finished
    // starting, and a window mapped then can be left unmanaged. Ready is when
    // it manages a window of ours (mapped again if it missed it).
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, conn->root(), 0, 0, 16, 16, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const double deadline = X11Connection::steadyNow() + kStartTimeout;
    double mappedAt = 0;
    while (X11Connection::steadyNow() < deadline && windowManager_->state() == QProcess::Running) {
        if (X11Connection::steadyNow() - mappedAt > 0.5) {
            xcb_unmap_window(c, probe);
            xcb_map_window(c, probe);
            mappedAt = X11Connection::steadyNow();
        }
        if (managed(probe)) {
            xcb_destroy_window(c, probe);
            // Gone from the list, mostly at once; xfwm4 managing two screens
            // leaves it there.
            const double gone = std::min(deadline, X11Connection::steadyNow() + 2.0);
            while (X11Connection::steadyNow() < gone && managed(probe))
                QThread::msleep(5);
            return true;
        }
        QThread::msleep(5);
    }
    if (error)
        *error = QStringLiteral("openbox did not take the display %1.").arg(display_);
    return false;
}

} // namespace tavrin
