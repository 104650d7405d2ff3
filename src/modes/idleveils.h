#pragma once

#include "modes/veils.h"

namespace tavrin {

// Veils that cover nothing: what Share-safe drives while no veil engine is
// registered. Names come from the running applications.
class IdleVeils : public Veils {
public:
    void refresh() override {}
    void update() override {}
    bool isRunning() const override { return false; }
    QStringList appNames(const QSet<int>& pids) override;
};

} // namespace tavrin
