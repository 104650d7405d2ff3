#include "platform/x11/desktopsettings.h"

#include "platform/workspace.h"

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

namespace tavrin {

DesktopSettings::DesktopSettings(Find find, Start start, QString currentDesktop)
    : find_(std::move(find)),
      start_(std::move(start)),
      currentDesktop_(std::move(currentDesktop))
{
    if (!find_)
        find_ = [](const QString& program) { return QStandardPaths::findExecutable(program); };
    if (!start_)
        start_ = [](const QString& path, const QStringList& arguments) {
            return QProcess::startDetached(path, arguments);
        };
    if (currentDesktop_.isEmpty())
        currentDesktop_ = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
}

QList<DesktopSettings::Candidate> DesktopSettings::candidates() const
{
    QList<Candidate> all = {
        {QStringLiteral("GNOME"), QStringLiteral("gnome-control-center"), {QStringLiteral("multitasking")}},
        {QStringLiteral("KDE"), QStringLiteral("systemsettings"), {QStringLiteral("kwinscreenedges")}},
        {QStringLiteral("X-Cinnamon"), QStringLiteral("cinnamon-settings"), {QStringLiteral("windows")}},
        {QStringLiteral("XFCE"), QStringLiteral("xfwm4-tweaks-settings"), {}},
        {QStringLiteral("MATE"), QStringLiteral("mate-control-center"), {}},
        {QStringLiteral("LXQt"), QStringLiteral("lxqt-config"), {}},
    };
    const QStringList running = currentDesktop_.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    std::stable_partition(all.begin(), all.end(),
                          [&running](const Candidate& c) { return running.contains(c.desktop, Qt::CaseInsensitive); });
    return all;
}

bool DesktopSettings::open(const QUrl& address) const
{
    const bool windows = address.path() == Workspace::kDesktopSettingsPage;
    for (const Candidate& candidate : candidates()) {
        const QString path = find_(candidate.program);
        if (!path.isEmpty() && start_(path, windows ? candidate.windowArguments : QStringList{}))
            return true;
    }
    return false;
}

} // namespace tavrin
