#pragma once

#include "modes/veils.h"

#include <QStringList>
#include <functional>

namespace tavrin {

// Veils that record what Share-safe asks of them ("refresh", "update"), and
// run whenever covering is on or an application is hidden by hand, as the
// veil engine does. Names come from `names` (pid → name), "" when unknown.
struct FakeVeils final : Veils {
    QStringList calls;
    std::function<bool()> wanted; // whether the veils should run now
    bool running = false;
    QHash<int, QString> names;

    void refresh() override
    {
        calls << QStringLiteral("refresh");
        running = wanted && wanted();
    }
    void update() override { calls << QStringLiteral("update"); }
    bool isRunning() const override { return running; }
    QStringList appNames(const QSet<int>& pids) override
    {
        QStringList out;
        for (int pid : pids)
            out << names.value(pid);
        return out;
    }
};

} // namespace tavrin
