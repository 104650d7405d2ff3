#include "support/simfixture.h"

#include "platform/sim/simaccessibility.h"
#include "platform/sim/simscenario.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tavrin {

namespace {
const char* const kScenario = "scenarios/default.json";

QString findUpwards(QDir dir)
{
    do {
        if (QFileInfo::exists(dir.filePath(QLatin1String(kScenario))))
            return dir.filePath(QLatin1String(kScenario));
    } while (dir.cdUp());
    return {};
}
} // namespace

QString SimEnvironment::defaultScenarioPath()
{
    const QString root = qEnvironmentVariable("TAVRIN_SOURCE_DIR");
    if (!root.isEmpty())
        return QDir(root).filePath(QLatin1String(kScenario));
    QString found = findUpwards(QDir::current());
    if (found.isEmpty() && QCoreApplication::instance())
        found = findUpwards(QDir(QCoreApplication::applicationDirPath()));
    return found.isEmpty() ? QString::fromLatin1(kScenario) : found;
}

SimEnvironment::SimEnvironment() { install(SimScenario::fromFile(defaultScenarioPath())); }

SimEnvironment::SimEnvironment(const QByteArray& scenarioJson)
{
    install(SimScenario::fromJson(scenarioJson, QStringLiteral("inline scenario")));
}

void SimEnvironment::install(const SimScenario& scenario)
{
    if (!scenario.applyTo(desktop))
        ADD_FAILURE() << scenario.error().toStdString();
    if (Platform::isInstalled())
        previous_ = Platform::current();
    Platform::install(desktop.startServices({.defaults = &defaults, .keychain = &keychain}));
}

SimEnvironment::~SimEnvironment()
{
    if (previous_)
        Platform::install(*previous_);
    else
        Platform::uninstall();
}

int SimEnvironment::pid(const QString& appName) const
{
    const SimApp* app = desktop.appNamed(appName);
    if (!app) {
        ADD_FAILURE() << "no running application named " << appName.toStdString();
        return 0;
    }
    return app->pid;
}

const SimWindow* SimEnvironment::window(const QString& title) const
{
    const SimWindow* w = desktop.windowTitled(title);
    if (!w)
        ADD_FAILURE() << "no window titled " << title.toStdString();
    return w;
}

AXElement SimEnvironment::element(const QString& title) const
{
    const SimWindow* w = window(title);
    return w ? SimAccessibility::elementOf(*w) : AXElement{};
}

bool SimEnvironment::pressKey(std::uint32_t keyCode, std::uint32_t modifiers)
{
    const bool taken = desktop.pressKey(keyCode, modifiers);
    clock.runDue();
    return taken;
}

} // namespace tavrin
