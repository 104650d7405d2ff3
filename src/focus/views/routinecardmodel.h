#pragma once

#include "focus/focusroutine.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace tavrin {

// What a routine's card shows and does, as plain values: the items of its
// "When" and "Do" rows, the items of their "+ Add" menus and what each does
// to the routine, and the application lists its picker fills.
class RoutineCardModel {
public:
    // What a chip or a menu item is about.
    enum class Kind {
        word,      // a calendar-event word (When)
        macFocus,  // the desktop's Focus names the routine (When)
        schedule,  // a weekly time window (When)
        whileApps, // applications that are open (When)
        hide,      // applications hidden (Do)
        quit,      // applications quit (Do)
        layout,    // arranged in a layout (Do)
        workspace, // a saved workspace opened (Do)
        shortcuts, // the shortcuts that turn a desktop Focus on and off (Do)
        shareSafe, // Share-safe's covering (Do)
    };

    // One item of a row: a chip, the separator "or", or the note shown
    // when the routine has no trigger.
    struct Entry {
        enum class Type { chip, separator, note };
        Type type = Type::chip;
        Kind kind = Kind::word;
        int index = -1; // a word's place in the list
        QUuid schedule; // a schedule's id
        QString text;
        // Stable while the item exists (a word by its place, a schedule by
        // its id), so that a view can keep the item's chip across edits.
        QString key() const;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    struct MenuItem {
        QString text;
        Kind kind = Kind::word;
        bool enabled = true;
        friend bool operator==(const MenuItem&, const MenuItem&) = default;
    };

    // The application lists a picker fills.
    enum class PickTarget { hide, quit, whileApps };
    static QString name(PickTarget target);
    static std::optional<PickTarget> pickTargetFromName(const QString& name);
    static QString pickerTitle(PickTarget target);
    static QStringList& list(FocusRoutine& routine, PickTarget target);
    static const QStringList& list(const FocusRoutine& routine, PickTarget target);

    // Up to three names joined by ", "; more: the first two and " + " the
    // number of the others.
    static QString shortForm(const QStringList& apps);

    static QList<Entry> when(const FocusRoutine& routine);
    static QList<Entry> actions(const FocusRoutine& routine);
    // Takes the chip's item out of the routine (a whole application list,
    // both Mac Focus shortcuts, every schedule with the chip's id).
    static void remove(FocusRoutine& routine, const Entry& chip);

    static QList<MenuItem> whenMenu(const FocusRoutine& routine);
    // `workspaceSaved`: whether any workspace is saved.
    static QList<MenuItem> actionsMenu(const FocusRoutine& routine, bool workspaceSaved);
    // Carries out a menu item: changes the routine, or answers the list whose
    // picker opens. `workspaces`: the saved workspaces' names, newest first.
    static std::optional<PickTarget> add(FocusRoutine& routine, Kind item, const QStringList& workspaces);

    // The word at `index`, or empty when there is none; writing to an index
    // that is gone does nothing.
    static QString word(const FocusRoutine& routine, int index);
    static void setWord(FocusRoutine& routine, int index, const QString& word);
};

} // namespace tavrin
