#include "modes/appidentities.h"

namespace tavrin {

const QHash<QString, QStringList>& AppIdentities::linuxIdentities()
{
    // Compared without regard to case; desktop ids without ".desktop".
    static const QHash<QString, QStringList> identities{
        // Zoom's Linux package: entry "Zoom Workplace" (formerly "Zoom"),
        // window class "zoom"; its Flatpak "us.zoom.Zoom".
        {QStringLiteral("zoom.us"),
         {QStringLiteral("Zoom Workplace"), QStringLiteral("Zoom"), QStringLiteral("zoom"),
          QStringLiteral("us.zoom.Zoom")}},
        // The Linux Teams clients: the progressive web app's and the
        // packaged client's names and classes.
        {QStringLiteral("Microsoft Teams"),
         {QStringLiteral("Microsoft Teams - Preview"), QStringLiteral("teams"), QStringLiteral("Teams for Linux"),
          QStringLiteral("teams-for-linux"), QStringLiteral("com.github.IsmaelMartinez.teams_for_linux")}},
        // The browsers: Debian's Firefox ESR (class "firefox-esr"), Mozilla's
        // own build and other distributions' entries (class "firefox"),
        // Chromium (class "Chromium"), and their Flatpaks.
        {QStringLiteral("Firefox"),
         {QStringLiteral("Firefox ESR"), QStringLiteral("firefox-esr"), QStringLiteral("firefox"),
          QStringLiteral("Firefox Web Browser"), QStringLiteral("org.mozilla.firefox")}},
        {QStringLiteral("Chromium"),
         {QStringLiteral("chromium"), QStringLiteral("Chromium Web Browser"), QStringLiteral("chromium-browser"),
          QStringLiteral("org.chromium.Chromium")}},
        {QStringLiteral("Webex"), {QStringLiteral("CiscoCollabHost"), QStringLiteral("webex")}},
        {QStringLiteral("Slack"), {QStringLiteral("slack"), QStringLiteral("com.slack.Slack")}},
        {QStringLiteral("Discord"), {QStringLiteral("discord"), QStringLiteral("com.discordapp.Discord")}},
        {QStringLiteral("Obsidian"), {QStringLiteral("obsidian"), QStringLiteral("md.obsidian.Obsidian")}},
        {QStringLiteral("Notion"), {QStringLiteral("notion-app"), QStringLiteral("Notion Enhanced")}},
        {QStringLiteral("Logseq"), {QStringLiteral("logseq"), QStringLiteral("com.logseq.Logseq")}},
    };
    return identities;
}

bool AppIdentities::isLinuxIdentityOf(const RunningApp& app, const QString& listedName)
{
    const auto it = linuxIdentities().constFind(listedName);
    if (it == linuxIdentities().cend())
        return false;
    QString desktopId = app.bundleIdentifier;
    if (desktopId.endsWith(QLatin1String(".desktop")))
        desktopId.chop(8);
    // Some clients pad their window class with a space ("zoom "); a name
    // read from the class has no entry to tidy it.
    const QString name = app.localizedName.trimmed();
    for (const QString& identity : *it)
        if (identity.compare(name, Qt::CaseInsensitive) == 0
            || (!desktopId.isEmpty() && identity.compare(desktopId, Qt::CaseInsensitive) == 0))
            return true;
    return false;
}

} // namespace tavrin
