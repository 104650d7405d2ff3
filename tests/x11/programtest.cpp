#include "programtest.h"

#include "platform/linux/plistcodec.h"
#include "platform/linux/plistdefaults.h"

#include <QDir>
#include <QFile>
#include <csignal>

namespace tavrin {

namespace {
constexpr int kWaitMs = int(XvfbSession::kWaitSeconds * 1000);
} // namespace

void X11ProgramTest::TearDown()
{
    if (tavrin_.state() != QProcess::NotRunning) {
        ::kill(pid_t(tavrin_.processId()), SIGTERM);
        tavrin_.waitForFinished(kWaitMs);
    }
    X11Test::TearDown();
}

bool X11ProgramTest::startTavrin(const QString& qpa, const QVariantMap& settings, bool firstRun)
{
    if (!settings.isEmpty()) {
        PlistDefaults defaults(QDir(config_.path()).filePath(QStringLiteral("tavrin/defaults.plist")));
        for (auto it = settings.begin(); it != settings.end(); ++it)
            defaults.setValue(it.key(), it.value());
    }
    tavrin_.setProcessEnvironment(environmentFor(qpa, firstRun));
    // Another build of the program, to compare with this one.
    tavrin_.start(qEnvironmentVariable("TAVRIN_TEST_PROGRAM", QStringLiteral(TAVRIN_BINARY)),
                  {QStringLiteral("--desktop"), QStringLiteral("x11")});
    if (!tavrin_.waitForStarted(kWaitMs))
        return false;
    return waitUntil([&] {
        output_ += tavrin_.readAllStandardOutput();
        return output_.contains("Tavrin is running on the X11 desktop");
    });
}

QProcessEnvironment X11ProgramTest::environmentFor(const QString& qpa, bool firstRun) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), session_->display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), qpa);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    if (firstRun)
        env.remove(QStringLiteral("TAVRIN_DEMO"));
    else
        env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.insert(programEnvironment_);
    return env;
}

QVariant X11ProgramTest::stored(const QString& key) const
{
    QFile file(QDir(config_.path()).filePath(QStringLiteral("tavrin/defaults.plist")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::optional<QVariant> values = PlistCodec::fromData(file.readAll());
    return values ? values->toMap().value(key) : QVariant();
}

bool X11ProgramTest::stopTavrin()
{
    ::kill(pid_t(tavrin_.processId()), SIGTERM);
    return tavrin_.waitForFinished(kWaitMs) && tavrin_.exitStatus() == QProcess::NormalExit && tavrin_.exitCode() == 0;
}

xcb_window_t X11ProgramTest::startTitledXterm(const QString& title, Point at, QSize cells, const QStringList& arguments)
{
    auto xterm = XvfbSession::childProcess();
    xterm->setProcessEnvironment(session_->environment());
    xterm->setStandardOutputFile(QProcess::nullDevice());
    xterm->setStandardErrorFile(QProcess::nullDevice());
    xterm->start(QStringLiteral("xterm"),
                 QStringList{QStringLiteral("-title"), title, QStringLiteral("-geometry"),
                             QStringLiteral("%1x%2+%3+%4").arg(cells.width()).arg(cells.height()).arg(at.x).arg(at.y)}
                     + arguments);
    programs_.push_back(std::move(xterm));
    xcb_window_t found = 0;
    waitUntil([&] { return (found = clientTitled(title)) != 0 && isViewable(found); });
    return found;
}

std::vector<xcb_window_t> X11ProgramTest::clients()
{
    // Some window managers keep no stacking list (xfwm4): then the mapping order.
    auto stacking = probe_->requestProperty(probe_->root(), probe_->ewmh()->_NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW);
    auto mapped = probe_->requestProperty(probe_->root(), probe_->ewmh()->_NET_CLIENT_LIST, XCB_ATOM_WINDOW);
    if (!probe_->sync(XvfbSession::kWaitSeconds))
        return {};
    const auto v = X11Connection::cardinals(probe_->takeProperty(stacking).get());
    const auto w = X11Connection::cardinals(probe_->takeProperty(mapped).get());
    return v.empty() ? std::vector<xcb_window_t>(w.begin(), w.end()) : std::vector<xcb_window_t>(v.begin(), v.end());
}

xcb_window_t X11ProgramTest::clientTitled(const QString& title)
{
    for (xcb_window_t w : clients())
        if (titleOf(w) == title)
            return w;
    return 0;
}

xcb_window_t X11ProgramTest::menuBarWindow()
{
    const xcb_window_t w = clientTitled(QStringLiteral("Tavrin"));
    return w && isViewable(w) ? w : 0;
}

QString X11ProgramTest::titleOf(xcb_window_t window)
{
    auto name = probe_->requestProperty(window, probe_->ewmh()->_NET_WM_NAME);
    auto legacy = probe_->requestProperty(window, probe_->atoms().wmName);
    if (!probe_->sync(XvfbSession::kWaitSeconds))
        return {};
    const QString text = probe_->text(probe_->takeProperty(name).get());
    const QString old = probe_->text(probe_->takeProperty(legacy).get());
    return text.isEmpty() ? old : text;
}

bool X11ProgramTest::isViewable(xcb_window_t window)
{
    auto cookie = xcb_get_window_attributes(probe_->xcb(), window);
    if (!probe_->sync(XvfbSession::kWaitSeconds))
        return false;
    XcbReply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(probe_->xcb(), cookie, nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace tavrin
