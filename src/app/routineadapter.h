#pragma once

#include "app/engine.h"
#include "app/routinecontrol.h"

namespace tavrin {

class Focus;

// The Focus engine as the shell starts, drives and shows it: started in its
// slot; the intents, the Focus filter and the routines switch call it.
class RoutineAdapter : public RoutineControl, public Engine {
public:
    explicit RoutineAdapter(Focus& focus) : focus_(focus) {}

    QList<RoutineEntity> routines() const override;
    void start(std::optional<QUuid> routine, int minutes) override;
    std::optional<RoutineEntity> running() const override;
    QStringList hiddenApps() const override;
    void stop() override;
    void setEnabled(bool on) override;
    void setFocusFilter(std::optional<QUuid> routine) override;
    void start() override;

private:
    Focus& focus_;
};

} // namespace tavrin
