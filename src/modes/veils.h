#pragma once

#include <QSet>
#include <QStringList>

namespace tavrin {

// The veils that Share-safe lays over covered windows, as its switches and
// the hide shortcut drive them. Share-safe tells them after every change of
// whether covering is on and of which applications are hidden by hand.
// Main thread.
class Veils {
public:
    virtual ~Veils() = default;

    // Starts or stops following windows, to match whether covering is on
    // and whether any application is hidden by hand.
    virtual void refresh() = 0;
    // Lays every veil over its window now, in one pass.
    virtual void update() = 0;
    // Windows are being followed now.
    virtual bool isRunning() const = 0;
    // The names of these processes, the empty string for one without a name.
    virtual QStringList appNames(const QSet<int>& pids) = 0;
};

} // namespace tavrin
