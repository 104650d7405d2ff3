#include "platform/linuxwords.h"

#include "platform/hotkeys.h"

#include <QRegularExpression>

namespace tavrin {

namespace {
const QString kHotKeys = QStringLiteral("hot keys");
const QString kWindowKeys = QStringLiteral("a window's own keys");
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
         kWindowKeys
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
        {QStringLiteral("Tavrin never asks for Screen Recording."), QStringLiteral("Tavrin never records your screen."),
         QStringLiteral("first-run window, footer")},
        // The desktop's Focus: the Focus filter names a routine; Do Not
        // Disturb is what silences other apps.
        {QStringLiteral("Mac Focus"), QStringLiteral("Focus filter"),
         QStringLiteral("routine card, When chip and its editor")},
        {QStringLiteral("A Mac Focus"), QStringLiteral("The Focus filter"), QStringLiteral("routine card, When menu")},
        {QStringLiteral("System Settings › Focus › (pick a Focus) › Focus filters › Add Filter › Tavrin"),
         QStringLiteral("tavrin intent focus-filter"), QStringLiteral("routine card, Focus filter editor")},
        {QStringLiteral("Turn on a Mac Focus"), QStringLiteral("Turn on Do Not Disturb"),
         QStringLiteral("routine card, Do chip and menu; Integrations pane, chat apps")},
        {QStringLiteral("a Mac Focus silences it"), QStringLiteral("Do Not Disturb silences it"),
         QStringLiteral("Integrations pane, chat apps")},
        {QStringLiteral("Make them in Shortcuts with the Set Focus action"),
         QStringLiteral("Put them in Tavrin's shortcuts folder"),
         QStringLiteral("routine card, Do Not Disturb editor")},
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
