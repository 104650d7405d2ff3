// The table of supported applications: each row as it is where applications
// are scripted, and how the application is known and read on Linux (rows
// without a Linux part have no Linux version; rows without a scripted part
// exist on Linux only).

#include "integrations/integrations.h"

#include "platform/platform.h"

#include <QHash>

namespace tavrin::Integrations {

namespace {

using Category = Integration::Category;
using How = Integration::How;

// A row on Linux. Lists are separated by ';'.
struct OnLinux {
    How how;
    const char* bringsBack; // null: as where applications are scripted
    const char* names;      // desktop entries' names and window classes
    const char* desktopIds;
    const char* executables;
    const char* profiles; // a browser's profiles folder under the home folder
};

struct Row {
    const char* app;
    const char* bundleID;
    Category category;
    How how;
    const char* bringsBack;
    const char* processName;
    bool scripted; // a row where applications are scripted
    std::optional<OnLinux> linux_;
};

const char* const kEveryTab = "Every tab in every window, and which tab was in front";
const char* const kProjectFolder = "The project folder each window has open";
const char* const kProject = "The project each window has open";
const char* const kFile = "The file each window has open";
const char* const kFolder = "The folder each window is in";
const char* const kChat = "Hidden or quit during Focus routines; Do Not Disturb silences it";
// Windows on Linux do not tell other programs which file they show.
const char* const kNoFile = "Reopens %1. Its windows don't tell other apps which file they show on Linux.";
const char* const kTitleFolder = "The folder each window's title shows";

OnLinux browser(const char* names, const char* ids, const char* executables, const char* profiles)
{
    return OnLinux{How::browser, nullptr, names, ids, executables, profiles};
}
OnLinux jetbrains(const char* names, const char* ids)
{
    return OnLinux{How::jetbrains, nullptr, names, ids, "", nullptr};
}
OnLinux as(How how, const char* names, const char* ids, const char* executables, const char* bringsBack = nullptr)
{
    return OnLinux{how, bringsBack, names, ids, executables, nullptr};
}

const Row kRows[] = {
    {"Safari", "com.apple.Safari", Category::browsers, How::browser, kEveryTab, nullptr, true, std::nullopt},
    {"Google Chrome", "com.google.Chrome", Category::browsers, How::browser, kEveryTab, nullptr, true,
     browser("Google Chrome;Google-chrome;google-chrome", "google-chrome;com.google.Chrome",
             "chrome;google-chrome;google-chrome-stable", ".config/google-chrome")},
    {"Chromium", nullptr, Category::browsers, How::browser, kEveryTab, nullptr, false,
     browser("Chromium;Chromium Web Browser;chromium;chromium-browser",
             "chromium;chromium-browser;org.chromium.Chromium", "chromium;chromium-browser", ".config/chromium")},
    {"Arc", "company.thebrowser.Browser", Category::browsers, How::browser, kEveryTab, nullptr, true, std::nullopt},
    {"Brave Browser", "com.brave.Browser", Category::browsers, How::browser, kEveryTab, nullptr, true,
     browser("Brave Web Browser;Brave;Brave-browser;brave-browser", "brave-browser;com.brave.Browser",
             "brave;brave-browser", ".config/BraveSoftware/Brave-Browser")},
    {"Microsoft Edge", "com.microsoft.edgemac", Category::browsers, How::browser, kEveryTab, nullptr, true,
     browser("Microsoft Edge;Microsoft-edge;microsoft-edge", "microsoft-edge;com.microsoft.Edge",
             "msedge;microsoft-edge", ".config/microsoft-edge")},
    {"Vivaldi", "com.vivaldi.Vivaldi", Category::browsers, How::browser, kEveryTab, nullptr, true,
     browser("Vivaldi;Vivaldi-stable;vivaldi-stable", "vivaldi-stable;com.vivaldi.Vivaldi", "vivaldi;vivaldi-bin",
             ".config/vivaldi")},
    {"Dia", "company.thebrowser.dia", Category::browsers, How::browser, kEveryTab, nullptr, true, std::nullopt},
    {"Firefox", nullptr, Category::browsers, How::appOnly,
     "Reopens Firefox. Firefox doesn't let other apps read its tabs, so it brings them back itself with "
     "\u201cRestore previous session\u201d.",
     nullptr, true,
     OnLinux{How::browser, kEveryTab, "Firefox;Firefox ESR;Firefox Web Browser;firefox;firefox-esr;Navigator",
             "firefox;firefox-esr;org.mozilla.firefox", "firefox;firefox-esr;firefox-bin", ".mozilla/firefox"}},
    {"Visual Studio Code", nullptr, Category::code, How::vscode, kProjectFolder, "Code", true,
     as(How::vscode, "Visual Studio Code;Code;code", "code;com.visualstudio.code", "code")},
    {"Cursor", nullptr, Category::code, How::vscode, kProjectFolder, nullptr, true,
     as(How::vscode, "Cursor;cursor", "cursor;co.anysphere.cursor", "cursor")},
    {"Windsurf", nullptr, Category::code, How::vscode, kProjectFolder, nullptr, true,
     as(How::vscode, "Windsurf;windsurf", "windsurf", "windsurf")},
    {"VSCodium", nullptr, Category::code, How::vscode, kProjectFolder, nullptr, true,
     as(How::vscode, "VSCodium;codium;VSCodium", "codium;com.vscodium.codium", "codium")},
    {"IntelliJ IDEA", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("IntelliJ IDEA Community Edition;IntelliJ IDEA Ultimate Edition;IntelliJ IDEA Community;"
               "IntelliJ IDEA Ultimate;jetbrains-idea;jetbrains-idea-ce",
               "jetbrains-idea;jetbrains-idea-ce;intellij-idea-community;intellij-idea-ultimate;"
               "com.jetbrains.IntelliJ-IDEA-Community;com.jetbrains.IntelliJ-IDEA-Ultimate")},
    {"PyCharm", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("PyCharm Community Edition;PyCharm Professional Edition;PyCharm Community;PyCharm Professional;"
               "jetbrains-pycharm;jetbrains-pycharm-ce",
               "jetbrains-pycharm;jetbrains-pycharm-ce;pycharm-community;pycharm-professional;"
               "com.jetbrains.PyCharm-Community;com.jetbrains.PyCharm-Professional")},
    {"WebStorm", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("jetbrains-webstorm", "jetbrains-webstorm;webstorm;com.jetbrains.WebStorm")},
    {"GoLand", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("jetbrains-goland", "jetbrains-goland;goland;com.jetbrains.GoLand")},
    {"Android Studio", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("jetbrains-studio", "jetbrains-studio;android-studio;com.google.AndroidStudio")},
    {"RustRover", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("jetbrains-rustrover", "jetbrains-rustrover;rustrover;com.jetbrains.RustRover")},
    {"PhpStorm", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("jetbrains-phpstorm", "jetbrains-phpstorm;phpstorm;com.jetbrains.PhpStorm")},
    {"Rider", nullptr, Category::code, How::jetbrains, kProject, nullptr, true,
     jetbrains("JetBrains Rider;jetbrains-rider", "jetbrains-rider;rider;com.jetbrains.Rider")},
    {"Xcode", nullptr, Category::code, How::document, "The project or file each window has open", nullptr, true,
     std::nullopt},
    {"Sublime Text", nullptr, Category::code, How::document, kFile, nullptr, true,
     as(How::appOnly, "Sublime Text;sublime_text;Sublime_text", "sublime_text;com.sublimetext.three", "sublime_text",
        kNoFile)},
    {"Zed", nullptr, Category::code, How::document, kFile, nullptr, true,
     as(How::appOnly, "Zed;zed;dev.zed.Zed", "dev.zed.Zed;zed", "zed;zed-editor", kNoFile)},
    {"Nova", nullptr, Category::code, How::document, kFile, nullptr, true, std::nullopt},
    {"BBEdit", nullptr, Category::code, How::document, kFile, nullptr, true, std::nullopt},
    {"Terminal", "com.apple.Terminal", Category::terminals, How::terminal, kFolder, nullptr, true, std::nullopt},
    // Read from the shell where the terminal's process shows one window,
    // else from the title the shell's prompt sets.
    {"GNOME Terminal", nullptr, Category::terminals, How::terminal, kFolder, nullptr, false,
     as(How::terminal, "Terminal;GNOME Terminal;Gnome-terminal;gnome-terminal-server", "org.gnome.Terminal",
        "gnome-terminal-server")},
    {"Konsole", nullptr, Category::terminals, How::terminal, kFolder, nullptr, false,
     as(How::terminal, "Konsole;konsole", "org.kde.konsole", "konsole")},
    {"Xfce Terminal", nullptr, Category::terminals, How::terminal, kFolder, nullptr, false,
     as(How::terminal, "Xfce Terminal;xfce4-terminal;Xfce4-terminal", "xfce4-terminal", "xfce4-terminal")},
    {"XTerm", nullptr, Category::terminals, How::terminal, kFolder, nullptr, false,
     as(How::terminal, "XTerm;UXTerm;xterm", "debian-xterm;xterm;debian-uxterm", "xterm")},
    {"Alacritty", nullptr, Category::terminals, How::terminal, kFolder, nullptr, false,
     as(How::terminal, "Alacritty;alacritty", "Alacritty;org.alacritty.Alacritty", "alacritty")},
    {"kitty", nullptr, Category::terminals, How::terminal, kFolder, nullptr, false,
     as(How::terminal, "kitty", "kitty", "kitty")},
    {"iTerm", "com.googlecode.iterm2", Category::terminals, How::iterm, kFolder, "iTerm2", true, std::nullopt},
    {"Warp", nullptr, Category::terminals, How::titlePath, kFolder, nullptr, true,
     as(How::titlePath, "Warp;warp;dev.warp.Warp", "dev.warp.Warp;warp-terminal", "warp;warp-terminal", kTitleFolder)},
    {"Ghostty", nullptr, Category::terminals, How::titlePath, kFolder, nullptr, true,
     as(How::titlePath, "Ghostty;ghostty;com.mitchellh.ghostty", "com.mitchellh.ghostty;ghostty", "ghostty",
        kTitleFolder)},
    {"Microsoft Word", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Microsoft Excel", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Microsoft PowerPoint", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Pages", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Numbers", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Keynote", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Preview", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"TextEdit", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Affinity Designer 2", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Pixelmator Pro", nullptr, Category::docs, How::document, kFile, nullptr, true, std::nullopt},
    {"Finder", "com.apple.finder", Category::docs, How::finder, "The folder each window shows", nullptr, true,
     std::nullopt},
    {"Obsidian", nullptr, Category::docs, How::obsidian, "The vault and note each window has open", nullptr, true,
     as(How::obsidian, "Obsidian;obsidian", "obsidian;md.obsidian.Obsidian", "obsidian")},
    {"Figma", nullptr, Category::docs, How::appOnly,
     "Reopens Figma. Figma keeps its own open tabs, so they come back with it.", nullptr, true, std::nullopt},
    {"Notion", nullptr, Category::docs, How::appOnly, "Reopens Notion on the page it was last on.", nullptr, true,
     std::nullopt},
    {"Linear", nullptr, Category::docs, How::appOnly, "Reopens Linear on the view it was last on.", nullptr, true,
     std::nullopt},
    {"Slack", nullptr, Category::chat, How::chatStatus, kChat, nullptr, true,
     as(How::chatStatus, "Slack;slack", "slack;com.slack.Slack", "slack")},
    {"Microsoft Teams", nullptr, Category::chat, How::chatStatus, kChat, nullptr, true, std::nullopt},
};

std::optional<QString> optionalText(const char* text)
{
    return text ? std::optional(QString::fromUtf8(text)) : std::nullopt;
}

QStringList listOf(const char* text)
{
    return text ? QString::fromUtf8(text).split(QLatin1Char(';'), Qt::SkipEmptyParts) : QStringList();
}

Integration row(const char* app, std::optional<QString> bundleID, Category category, How how, const char* bringsBack,
                std::optional<QString> processName)
{
    Integration out;
    out.app = QString::fromUtf8(app);
    out.bundleID = std::move(bundleID);
    out.category = category;
    out.how = how;
    out.bringsBack = QString::fromUtf8(bringsBack);
    out.processName = std::move(processName);
    return out;
}

std::vector<Integration> scriptedTable()
{
    std::vector<Integration> out;
    for (const Row& r : kRows)
        if (r.scripted)
            out.push_back(
                row(r.app, optionalText(r.bundleID), r.category, r.how, r.bringsBack, optionalText(r.processName)));
    return out;
}

// No bundle identifiers: nothing is asked for consent on Linux.
std::vector<Integration> linuxTable()
{
    std::vector<Integration> out;
    for (const Row& r : kRows) {
        if (!r.linux_)
            continue;
        const OnLinux& l = *r.linux_;
        Integration row = Integrations::row(r.app, std::nullopt, r.category, l.how,
                                            l.bringsBack ? l.bringsBack : r.bringsBack, std::nullopt);
        row.bringsBack.replace(QLatin1String("%1"), row.app);
        row.otherNames = listOf(l.names);
        row.desktopIds = listOf(l.desktopIds);
        row.executables = listOf(l.executables);
        row.profiles = QString::fromUtf8(l.profiles ? l.profiles : "");
        out.push_back(std::move(row));
    }
    return out;
}

// Every row under its names; the earlier row keeps a name two rows share.
QHash<QString, const Integration*> lookup(const std::vector<Integration>& rows)
{
    QHash<QString, const Integration*> out;
    const auto add = [&](const QString& name, const Integration& row) {
        if (!out.contains(name))
            out.insert(name, &row);
    };
    for (const Integration& row : rows) {
        add(row.app, row);
        if (row.processName)
            add(*row.processName, row);
    }
    for (const Integration& row : rows)
        for (const QString& name : row.otherNames)
            add(name, row);
    return out;
}

const std::vector<Integration>& scriptedRows()
{
    static const std::vector<Integration> rows = scriptedTable();
    return rows;
}

const std::vector<Integration>& linuxRows()
{
    static const std::vector<Integration> rows = linuxTable();
    return rows;
}

} // namespace

bool scriptsApplications()
{
    const Automation* automation = Platform::current().automation;
    return !automation || automation->scriptsApplications();
}

const std::vector<Integration>& all() { return scriptsApplications() ? scriptedRows() : linuxRows(); }

const Integration* byName(const QString& name)
{
    // The tables never change: each lookup is built once.
    static const QHash<QString, const Integration*> scripted = lookup(scriptedRows());
    static const QHash<QString, const Integration*> linux_ = lookup(linuxRows());
    return (scriptsApplications() ? scripted : linux_).value(name, nullptr);
}

} // namespace tavrin::Integrations
