#include "platform/x11/desktopsettings.h"

#include <QProcess>
#include <QStandardPaths>

namespace tavrin {

DesktopSettings::DesktopSettings(Find find, Start start, std::optional<QString> currentDesktop)
    : find_(std::move(find)),
      start_(std::move(start)),
      currentDesktop_(currentDesktop ? *currentDesktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP"))
{
    if (!find_)
        find_ = [](const QString& program) { return QStandardPaths::findExecutable(program); };
    if (!start_)
        start_ = [](const QString& path, const QStringList& arguments) {
            return QProcess::startDetached(path, arguments);
        };
}

QString DesktopSettings::runningDesktop(const QString& windowManager, const QString& named)
{
    const QString wm = windowManager.toLower();
    if (wm.contains(QLatin1String("xfwm")))
        return QStringLiteral("XFCE");
    if (wm.contains(QLatin1String("kwin")))
        return QStringLiteral("KDE");
    // Cinnamon's says "Mutter (Muffin)".
    if (wm.contains(QLatin1String("muffin")))
        return QStringLiteral("X-Cinnamon");
    if (wm.contains(QLatin1String("mutter")) || wm == QLatin1String("gnome shell"))
        return QStringLiteral("GNOME");
    return named;
}

const QList<DesktopSettings::Desktop>& DesktopSettings::desktops()
{
    using Names = QStringList;
    static const QList<Desktop> all = {
        {Names{QStringLiteral("GNOME")},
         {QStringLiteral("gnome-control-center"), {}},
         {QStringLiteral("gnome-control-center"), {QStringLiteral("multitasking")}},
         Opener{QStringLiteral("gnome-control-center"), {QStringLiteral("online-accounts")}}},
        {Names{QStringLiteral("KDE")},
         {QStringLiteral("systemsettings"), {}},
         {QStringLiteral("systemsettings"), {QStringLiteral("kwinscreenedges")}},
         Opener{QStringLiteral("systemsettings"), {QStringLiteral("kcm_kaccounts")}}},
        {Names{QStringLiteral("XFCE")},
         {QStringLiteral("xfce4-settings-manager"), {}},
         // Window Manager Tweaks, where tiling by dragging to an edge is set;
         // it opens on its Cycling tab whatever it is given.
         {QStringLiteral("xfwm4-tweaks-settings"),
          {},
          QStringLiteral("Window Manager Tweaks"),
          QStringLiteral("Accessibility")},
         std::nullopt},
        {Names{QStringLiteral("X-Cinnamon"), QStringLiteral("Cinnamon")},
         {QStringLiteral("cinnamon-settings"), {}},
         {QStringLiteral("cinnamon-settings"), {QStringLiteral("tiling")}},
         std::nullopt},
        {Names{QStringLiteral("MATE")},
         {QStringLiteral("mate-control-center"), {}},
         {QStringLiteral("mate-window-preferences"), {}},
         std::nullopt},
        {Names{QStringLiteral("LXQt")},
         {QStringLiteral("lxqt-config"), {}},
         {QStringLiteral("lxqt-config"), {}},
         std::nullopt},
    };
    return all;
}

std::optional<DesktopSettings::Desktop> DesktopSettings::running() const
{
    // Most specific first: "ubuntu:GNOME" is GNOME.
    for (const QString& name : currentDesktop_.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        for (const Desktop& desktop : desktops())
            if (desktop.names.contains(name, Qt::CaseInsensitive))
                return desktop;
    return std::nullopt;
}

std::optional<DesktopSettings::Opener> DesktopSettings::opener(const QUrl& address) const
{
    const std::optional<Desktop> desktop = running();
    if (!desktop)
        return std::nullopt;
    if (address.path() == Workspace::kDesktopSettingsPage)
        return desktop->windows;
    if (address.path() == Workspace::kOnlineAccountsPage)
        return desktop->onlineAccounts;
    return desktop->start;
}

std::optional<Workspace::SettingsTab> DesktopSettings::tab(const QUrl& address) const
{
    const std::optional<Opener> opens = opener(address);
    if (!opens || opens->tab.isEmpty())
        return std::nullopt;
    return Workspace::SettingsTab{opens->title, opens->tab};
}

Workspace::SettingsOpening DesktopSettings::open(const QUrl& address) const
{
    using Opening = Workspace::SettingsOpening;
    if (!running())
        return Opening::noProgram;
    const std::optional<Opener> opener = this->opener(address);
    if (!opener)
        return Opening::noSuchPage;
    const QString path = find_(opener->program);
    if (path.isEmpty() || !start_(path, opener->arguments))
        return Opening::noProgram;
    return Opening::opened;
}

} // namespace tavrin
