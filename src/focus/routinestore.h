#pragma once

#include "focus/focusroutine.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace tavrin {

class Defaults;

// The one reader and writer of the stored routines ("focus.routines": data
// holding a JSON array of routines).
//
// Nothing the user made is lost to a value this version cannot read: each
// routine is read on its own, so one that does not decode drops only itself
// (the default list stands in only when there is no routine to read, or none
// of them decodes), and the first write over a stored value that did not
// decode completely sets it aside, unchanged, under
// "focus.routines.unreadable" (".2", ".3", … when an earlier copy is there).
class RoutineStore {
public:
    static inline const QString kKey = QStringLiteral("focus.routines");
    static inline const QString kUnreadableKey = QStringLiteral("focus.routines.unreadable");

    struct Stored {
        QList<FocusRoutine> routines;
        // The stored value, when it did not decode completely.
        std::optional<QVariant> raw;
    };

    // The routines stored in `defaults` in their order; the default routine
    // alone when the key is missing (or there are no settings) or nothing in
    // it decodes. A stored empty list is empty.
    static Stored load(const Defaults* defaults);
    // Stores the routines in `defaults` (nothing without), after setting
    // `raw` aside (it is then cleared).
    static void write(Defaults* defaults, const QList<FocusRoutine>& routines, std::optional<QVariant>& raw);
    // The stored form of a list of routines.
    static QByteArray encode(const QList<FocusRoutine>& routines);
};

} // namespace tavrin
