#pragma once

#include <QString>
#include <QUuid>

namespace tavrin {

// A routine as the intents and the Focus filter hand it around: its id and
// its name when the entity was made (a snapshot: a later rename changes what
// the next query gives, not entities handed out before).
struct RoutineEntity {
    QUuid id;
    QString name;
    friend bool operator==(const RoutineEntity&, const RoutineEntity&) = default;

    // "Focus routine"
    static QString typeDisplayName();
};

} // namespace tavrin
