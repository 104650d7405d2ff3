#include "programtest.h"

#include "platform/linux/plistdefaults.h"

#include <QDir>
#include <csignal>

namespace tavrin {

void X11ProgramTest::TearDown()
{
    if (tavrin_.state() != QProcess::NotRunning) {
        ::kill(pid_t(tavrin_.processId()), SIGTERM);
        tavrin_.waitForFinished(10000);
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), session_->display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), qpa);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    if (firstRun)
        env.remove(QStringLiteral("TAVRIN_DEMO"));
    else
        env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    tavrin_.setProcessEnvironment(env);
    tavrin_.start(QStringLiteral(TAVRIN_BINARY), {QStringLiteral("--desktop"), QStringLiteral("x11")});
    if (!tavrin_.waitForStarted(10000))
        return false;
    return waitUntil([&] {
        output_ += tavrin_.readAllStandardOutput();
        return output_.contains("Tavrin is running on the X11 desktop");
    }, 20.0);
}

bool X11ProgramTest::stopTavrin()
{
    ::kill(pid_t(tavrin_.processId()), SIGTERM);
    return tavrin_.waitForFinished(10000) && tavrin_.exitStatus() == QProcess::NormalExit && tavrin_.exitCode() == 0;
}

} // namespace tavrin
