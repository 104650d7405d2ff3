#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace tavrin {

// What the system's texts say on Linux where, written for a Mac, they would
// name something a Linux desktop does not have: the Mac itself, its settings
// program and their permissions, its Focus, and the symbols of its modifier
// keys. Each substitution is one row of `table()`, so that all of them can be
// read in one place; the texts are written with the row's right-hand side,
// and the key names are read from the table by the code that shows keys.
//
// Keys: a Linux keyboard says Ctrl, Alt, Shift and Super. A global hot key's
// Command modifier is Super; in a window's own shortcuts Command is Ctrl.
// Stored combinations keep their Carbon masks and key labels.
class LinuxWords {
public:
    struct Substitution {
        QString mac;   // the wording on a Mac
        QString said;  // what is said here instead; empty: nothing
        QString where; // where the text shows
    };

    // Every substitution, in the order of the texts' subsystems.
    static const QList<Substitution>& table();

    // The words and symbols no text shown here may contain ("Mac" as a
    // whole word, the others anywhere).
    static const QStringList& macOnly();
    // The first word or symbol of `macOnly()` that `text` contains; empty
    // when it contains none.
    static QString macWordIn(const QString& text);

    // The names of the modifiers in a Carbon mask (platform/hotkeys.h), in
    // the order Ctrl, Alt, Shift, Super.
    static QStringList modifierNames(std::uint32_t modifiers);
    // The key that stands for Command in a window's own shortcuts: "Ctrl".
    static QString commandInWindow();
    // Keys in running text: {"Ctrl", "Alt", "←"} as "Ctrl+Alt+←".
    static QString runningText(const QStringList& keys);
    // What is said here for `mac` (its first row); `mac` when no row has it.
    static QString of(const QString& mac);

    // The built-in lists of applications whose Mac programs the table
    // replaces (the rows' place begins with the list's name).
    static constexpr QLatin1String kPrivateApps{"Share-safe's built-in private apps"};
    static constexpr QLatin1String kNotesApps{"meeting mode's notes apps"};
    // `listed` as a Linux desktop names the programs: each name the table has
    // for `list` gives way to its Linux programs (none, where another name
    // listed covers it); any other name stays, in its place.
    static QStringList programs(const QStringList& listed, const QString& list);

private:
    // The row whose Mac side is `mac` and whose place begins with `where`.
    static QString said(const QString& mac, const QString& where);
};

} // namespace tavrin
