#pragma once

#include "modes/veils.h"

namespace tavrin {

struct Platform;

// Veils that cover nothing: what Share-safe drives while no veil engine is
// registered. Names come from the running applications of `platform`, which
// must outlive it.
class IdleVeils : public Veils {
public:
    explicit IdleVeils(const Platform& platform) : platform_(platform) {}

    void refresh() override {}
    void update() override {}
    bool isRunning() const override { return false; }
    QStringList appNames(const QSet<int>& pids) override;

private:
    const Platform& platform_;
};

} // namespace tavrin
