#pragma once

#include <QObject>

namespace tavrin {

// Where the engines behind the shell's hooks (the modes, learning, habits)
// announce that something the menu-bar window shows has changed: a call
// began, covering turned on, a suggestion came or went.
class EngineEvents : public QObject {
    Q_OBJECT
public:
    static EngineEvents& shared();
    static void announce() { emit shared().changed(); }

signals:
    void changed();

private:
    using QObject::QObject;
};

} // namespace tavrin
