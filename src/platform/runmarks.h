#pragma once

#include <QString>

namespace tavrin {

// Marks that outlive the program: one is raised while something is on that
// must come back should the program end without warning (a crash, a kill),
// and taken down when that thing goes off or the program quits in order.
// What a start finds standing therefore tells it how the last run ended.
// Marks belong to one set of settings, as the program's one instance on
// them does, so no other running instance raises or takes them down. Main
// thread.
class RunMarks {
public:
    virtual ~RunMarks() = default;

    // Whether `name` was standing when this run began: the last run that
    // raised it ended without taking it down. Read once, before this run
    // raises or takes it down.
    virtual bool leftStanding(const QString& name) = 0;
    // Raises `name` (standing already: nothing happens). The reason when it
    // could not be, else empty.
    virtual QString raise(const QString& name) = 0;
    // Takes `name` down (not standing: nothing happens). The reason when it
    // could not be, else empty.
    virtual QString lower(const QString& name) = 0;
};

} // namespace tavrin
