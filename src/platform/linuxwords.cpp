#include "platform/linuxwords.h"

#include "platform/hotkeys.h"

#include <QRegularExpression>
#include <algorithm>

namespace tavrin {

namespace {
// Constant: the table may be read while other files' statics are made.
constexpr QLatin1String kHotKeys("hot keys");
constexpr QLatin1String kWindowKeys("a window's own keys");
} // namespace

const QList<LinuxWords::Substitution>& LinuxWords::table()
{
    static const QList<Substitution> rows{
        // Keys, in caps ("Ctrl" "Alt" "←") and in running text ("Ctrl+Alt+←").
        {QStringLiteral("⌃"), QStringLiteral("Ctrl"), kHotKeys},
        {QStringLiteral("⌥"), QStringLiteral("Alt"), kHotKeys},
        {QStringLiteral("⇧"), QStringLiteral("Shift"), kHotKeys},
        {QStringLiteral("⌘"), QStringLiteral("Super"), kHotKeys},
        {QStringLiteral("⌘"), QStringLiteral("Ctrl"),
         QString(kWindowKeys)
             + QStringLiteral(": saved workspaces 1 to 3 and Settings in the menu-bar window, saving a plan "
                              "in the command bar")},
        // The machine.
        {QStringLiteral("Mac"), QStringLiteral("computer"),
         QStringLiteral("menu-bar window (no saved workspaces), calendar links, Integrations pane")},
        // The desktop's own tiling, read from the desktop.
        {QStringLiteral("Turn off macOS edge tiling"), QStringLiteral("Turn off the desktop's edge tiling"),
         QStringLiteral("first-run window, step 2")},
        {QStringLiteral("macOS has its own tiling, which would fight Tavrin when you drag windows to the edge. "
                        "Turn off “Drag windows to screen edges to tile”."),
         QStringLiteral("Your desktop may tile windows you drag to a screen edge, which would fight Tavrin. "
                        "Turn that off in its window settings."),
         QStringLiteral("first-run window, step 2")},
        {QStringLiteral("Turned off"), QStringLiteral("Off"), QStringLiteral("first-run window, step 2, when done")},
        {QStringLiteral("Open Desktop & Dock"), QStringLiteral("Open Desktop Settings"),
         QStringLiteral("first-run window, step 2")},
        // The desktop's settings, or nothing where Linux has no such permission.
        {QStringLiteral("Open System Settings"), QStringLiteral("Open Desktop Settings"),
         QStringLiteral("first-run window, step 1; calendars line; Integrations pane")},
        {QStringLiteral("System Settings › Privacy & Security › Automation"), QString(),
         QStringLiteral("Integrations pane, an allowed app")},
        {QStringLiteral("System Settings › Privacy & Security › Calendars"), QString(),
         QStringLiteral("calendars line, access refused")},
        {QStringLiteral("System Settings › Internet Accounts"), QStringLiteral("your desktop's online accounts"),
         QStringLiteral("calendars line")},
        {QStringLiteral("iCloud, Google, Outlook, Exchange, Yahoo."),
         QStringLiteral("Google, Outlook, Exchange, Nextcloud."),
         QStringLiteral("calendars line, the chooser's hint (the accounts a Linux desktop adds)")},
        {QStringLiteral("Tavrin never asks for Screen Recording."), QStringLiteral("Tavrin never records your screen."),
         QStringLiteral("first-run window, footer")},
        // Integrations ask for no permission on Linux, so nothing is asked later.
        {QStringLiteral("Asked the first time a workspace opens Arc, Cursor or Warp, never all at once."),
         QStringLiteral("Browsers, editors and terminals open their windows and tabs for Tavrin without asking: "
                        "this desktop has no permission for them to give."),
         QStringLiteral("first-run window, step 3")},
        {QStringLiteral("Later, when needed"), QStringLiteral("Nothing to allow"),
         QStringLiteral("first-run window, step 3, when done")},
        // Tavrin AI: its service and accounts are not part of this program.
        {QStringLiteral("AI needs a key or Tavrin AI."), QStringLiteral("AI needs a key or a model on this computer."),
         QStringLiteral("command bar, AI setup card (Tavrin AI is not offered)")},
        {QStringLiteral("Describe tasks in plain English with Tavrin AI, or your own Claude key. Saved workspaces "
                        "work without either."),
         QStringLiteral("Describe tasks in plain English with your own Claude key, or a model server on this "
                        "computer. Saved workspaces work without either."),
         QStringLiteral("command bar, AI setup card (Tavrin AI is not offered)")},
        // The desktop's Focus: the Focus filter names a routine; Do Not
        // Disturb is what silences other apps.
        {QStringLiteral("Mac Focus"), QStringLiteral("Focus filter"),
         QStringLiteral("routine card, When chip and its editor")},
        {QStringLiteral("A Mac Focus"), QStringLiteral("The Focus filter"), QStringLiteral("routine card, When menu")},
        {QStringLiteral("Runs while a Mac Focus is on, once you add Tavrin to it:"),
         QStringLiteral("Runs while the Focus filter names it:"), QStringLiteral("routine card, Focus filter editor")},
        {QStringLiteral("System Settings › Focus › (pick a Focus) › Focus filters › Add Filter › Tavrin, then choose "
                        "“%1”."),
         QStringLiteral("tavrin intent focus-filter \"%1\" as your Focus starts; without a name as it ends."),
         QStringLiteral("routine card, Focus filter editor")},
        {QStringLiteral("Open Focus settings"), QString(),
         QStringLiteral("routine card, Focus filter editor (the desktop has no Focus settings)")},
        {QStringLiteral("Turn on a Mac Focus"), QStringLiteral("Turn on Do Not Disturb"),
         QStringLiteral("routine card, Do chip and menu; Integrations pane, chat apps")},
        {QStringLiteral("a Mac Focus silences it"), QStringLiteral("Do Not Disturb silences it"),
         QStringLiteral("Integrations pane, chat apps")},
        // Do Not Disturb here is the user's own script: the program runs it
        // and silences nothing itself.
        {QStringLiteral("Turns on a Mac Focus, which silences Slack, Teams and every other app."),
         QStringLiteral("Runs your own script as the routine starts, and another as it ends: such as ones that turn "
                        "your desktop's Do Not Disturb on and off."),
         QStringLiteral("routine card, Do Not Disturb editor")},
        {QStringLiteral("Turn on a Mac Focus (silences Slack, Teams…)"),
         QStringLiteral("Turn on Do Not Disturb (runs your script)"), QStringLiteral("routine card, Do menu")},
        {QStringLiteral("Make them in Shortcuts with the Set Focus action"),
         QStringLiteral("Put them in Tavrin's shortcuts folder"),
         QStringLiteral("routine card, Do Not Disturb editor")},
        {QStringLiteral("one that turns your Focus on, one that turns it off."),
         QStringLiteral("one that turns Do Not Disturb on, one that turns it off."),
         QStringLiteral("routine card, Do Not Disturb editor")},
        // Share-safe's veils: opaque where no compositor offers blur, and
        // then the texts say "hide" ("blur" stays where one does).
        {QStringLiteral("Apps Share-safe blurs while you share your screen."),
         QStringLiteral("Apps Share-safe hides while you share your screen."),
         QStringLiteral("Privacy pane (without blur)")},
        {QStringLiteral("While you share your screen, the apps you marked private are blurred."),
         QStringLiteral("While you share your screen, the apps you marked private are hidden."),
         QStringLiteral("Modes pane, Share-safe (without blur)")},
        {QStringLiteral("Blur the app in front"), QStringLiteral("Hide the app in front"),
         QStringLiteral("Shortcuts pane (without blur)")},
        {QStringLiteral("Blurs the app you're in, now. Press again in that app to show it."),
         QStringLiteral("Hides the app you're in, now. Press again in that app to show it."),
         QStringLiteral("Privacy pane, hide shortcut (without blur)")},
        {QStringLiteral("Blurred now: "), QStringLiteral("Hidden now: "),
         QStringLiteral("Privacy pane, apps hidden by hand (without blur)")},
        {QStringLiteral("No private apps. Share-safe won't blur anything when you share."),
         QStringLiteral("No private apps. Share-safe won't hide anything when you share."),
         QStringLiteral("Privacy pane, no private apps (without blur)")},
        {QStringLiteral(" is blurred. Blur it whenever you share your screen?"),
         QStringLiteral(" is hidden. Hide it whenever you share your screen?"),
         QStringLiteral("hide prompt, after the app's name (without blur)")},
        // Programs named in lists of applications, where a Mac's own program
        // stands: the Linux programs that do the same, each name one program
        // as its desktop entry names it ("" where a name already listed
        // covers it). Settings stored before keep the Mac's names.
        {QStringLiteral("Messages"), QStringLiteral("Chats, KDE Connect SMS, Element, Fractal"), kPrivateApps},
        {QStringLiteral("Mail"), QStringLiteral("Thunderbird, Evolution, Geary, KMail"), kPrivateApps},
        {QStringLiteral("Passwords"),
         QStringLiteral("Passwords and Keys, Seahorse, KeePassXC, KeePass2, KWalletManager, Secrets"), kPrivateApps},
        {QStringLiteral("1Password 7"), QString(), QString(kPrivateApps) + QStringLiteral(" (1Password is listed)")},
        {QStringLiteral("Keychain Access"), QString(),
         QString(kPrivateApps) + QStringLiteral(" (the keyring programs of Passwords stand for it)")},
        {QStringLiteral("Banking"), QStringLiteral("GnuCash, KMyMoney, HomeBank, Skrooge"), kPrivateApps},
        {QStringLiteral("Bear"), QStringLiteral("Joplin"), kNotesApps},
        {QStringLiteral("Craft"), QStringLiteral("Standard Notes"), kNotesApps},
        {QStringLiteral("Apple Notes"), QStringLiteral("KNotes"),
         QString(kNotesApps) + QStringLiteral(" (Notes is listed)")},
        // The first-run window's step 1: on X11 the window manager moves
        // windows for any client, so there is nothing to allow.
        {QStringLiteral("Allow Accessibility"), QStringLiteral("Move your windows"),
         QStringLiteral("first-run window, step 1")},
        {QStringLiteral("Required"), QString(), QStringLiteral("first-run window, step 1 (nothing is asked for)")},
        {QStringLiteral("Lets Tavrin move and resize windows. This is the only required permission."),
         QStringLiteral("Tavrin moves and resizes windows through the X server and your window manager, which "
                        "answer any program: there is nothing to allow."),
         QStringLiteral("first-run window, step 1")},
        {QStringLiteral("Allowed"), QStringLiteral("Nothing to allow"),
         QStringLiteral("first-run window, step 1, when done")},
        // Only the simulated desktop can refuse to let windows be moved.
        {QStringLiteral("Tavrin needs Accessibility permission to move windows."),
         QStringLiteral("Tavrin isn't allowed to move windows on this desktop."),
         QStringLiteral("a layout or a plan where moving windows is refused")},
        {QStringLiteral("Tavrin needs Accessibility permission"),
         QStringLiteral("Tavrin isn't allowed to move windows"),
         QStringLiteral("menu-bar window, banner where moving windows is refused")},
        {QStringLiteral("Allow Accessibility to see your windows"), QStringLiteral("Set up Tavrin to see your windows"),
         QStringLiteral("menu-bar window, preview where moving windows is refused")},
        // The log names no error number of another system.
        {QStringLiteral("(status -9878)"), QString(), QStringLiteral("log, a hot key another app holds")},
        // The intents have no voice assistant to say them to.
        {QStringLiteral("Shortcut phrases:"), QString(), QStringLiteral("tavrin intent --help")},
        // Texts of this program's own, recorded with the others.
        {QStringLiteral("Couldn't plan that."), QStringLiteral("Couldn't arrange that."),
         QStringLiteral("command bar, when arranging (not planning) failed")},
    };
    return rows;
}

const QStringList& LinuxWords::macOnly()
{
    static const QStringList words{QStringLiteral("⌘"),
                                   QStringLiteral("⌃"),
                                   QStringLiteral("⌥"),
                                   QStringLiteral("⇧"),
                                   QStringLiteral("Mac"),
                                   QStringLiteral("macOS"),
                                   QStringLiteral("System Settings")};
    return words;
}

QString LinuxWords::macWordIn(const QString& text)
{
    static const QRegularExpression mac(QStringLiteral("\\bMac\\b"));
    for (const QString& word : macOnly()) {
        const bool found = word == QLatin1String("Mac") ? mac.match(text).hasMatch() : text.contains(word);
        if (found)
            return word;
    }
    return {};
}

QString LinuxWords::of(const QString& mac)
{
    for (const Substitution& row : table())
        if (row.mac == mac)
            return row.said;
    return mac;
}

QStringList LinuxWords::programs(const QStringList& listed, const QString& list)
{
    QStringList out;
    for (const QString& name : listed) {
        const auto row = std::find_if(table().cbegin(), table().cend(),
                                      [&](const Substitution& r) { return r.mac == name && r.where.startsWith(list); });
        if (row == table().cend())
            out << name;
        else if (!row->said.isEmpty())
            out << row->said.split(QStringLiteral(", "));
    }
    return out;
}

QString LinuxWords::said(const QString& mac, const QString& where)
{
    for (const Substitution& row : table())
        if (row.mac == mac && row.where.startsWith(where))
            return row.said;
    return mac;
}

QStringList LinuxWords::modifierNames(std::uint32_t modifiers)
{
    QStringList names;
    if (modifiers & modifier::control)
        names << said(QStringLiteral("⌃"), kHotKeys);
    if (modifiers & modifier::option)
        names << said(QStringLiteral("⌥"), kHotKeys);
    if (modifiers & modifier::shift)
        names << said(QStringLiteral("⇧"), kHotKeys);
    if (modifiers & modifier::command)
        names << said(QStringLiteral("⌘"), kHotKeys);
    return names;
}

QString LinuxWords::commandInWindow() { return said(QStringLiteral("⌘"), kWindowKeys); }

QString LinuxWords::runningText(const QStringList& keys) { return keys.join(QLatin1Char('+')); }

} // namespace tavrin
