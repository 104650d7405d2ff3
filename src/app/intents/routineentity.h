#pragma once

#include <QString>
#include <QUuid>

namespace tavrin {

// A Focus routine as the intents name it.
struct RoutineEntity {
    QUuid id;
    QString name;
    friend bool operator==(const RoutineEntity&, const RoutineEntity&) = default;
};

} // namespace tavrin
