#include "integrationsdesk.h"

#include "platform/accessibility.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>

namespace tavrin {

IntegrationsDesk::IntegrationsDesk(const QByteArray& scenario)
    : envHolder(scenario.isEmpty() ? std::make_unique<SimEnvironment>() : std::make_unique<SimEnvironment>(scenario)),
      env(*envHolder)
{
    Platform::current().folders = UserFolders{home(), support()};
}

QString IntegrationsDesk::write(const QString& pathInHome, const QByteArray& contents) const
{
    const QString path = home() + QLatin1Char('/') + pathInHome;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(contents);
    return path;
}

QString IntegrationsDesk::folder(const QString& pathInHome) const
{
    const QString path = home() + QLatin1Char('/') + pathInHome;
    QDir().mkpath(path);
    return path;
}

std::vector<AXWindow> IntegrationsDesk::windowsOf(const QString& app) const
{
    const auto running = Platform::current().workspace->application(env.pid(app));
    return running ? AXWindow::windows(*running) : std::vector<AXWindow>{};
}

std::vector<AXWindow> IntegrationsDesk::windowsTitled(const QStringList& titles) const
{
    std::vector<AXWindow> out;
    for (const QString& title : titles) {
        const SimWindow* w = env.window(title);
        if (!w)
            continue;
        const auto running = Platform::current().workspace->application(w->pid);
        out.push_back(AXWindow{env.element(title), running.value_or(RunningApp{})});
    }
    return out;
}

} // namespace tavrin
