#pragma once

#include "focus/focusroutine.h"

#include <QUuid>
#include <functional>
#include <optional>

namespace tavrin {

class Focus;

// One routine of the engine's list, found by its id each time: views edit
// it through this, and every change writes the whole routine back into the
// list, which the engine stores at once.
class RoutineBinding {
public:
    RoutineBinding(Focus& focus, const QUuid& id) : focus_(&focus), id_(id) {}

    Focus& focus() const { return *focus_; }
    const QUuid& id() const { return id_; }

    // The routine as the list holds it now; none once it is gone.
    std::optional<FocusRoutine> get() const;
    // Makes `change` to a copy of the routine and writes the copy back in
    // its place; nothing when the routine is gone or nothing changed.
    void update(const std::function<void(FocusRoutine&)>& change) const;

private:
    Focus* focus_;
    QUuid id_;
};

} // namespace tavrin
