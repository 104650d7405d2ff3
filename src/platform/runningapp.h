#pragma once

#include <QString>

namespace tavrin {

enum class ActivationPolicy { regular, accessory, prohibited };

// A snapshot of one running application.
struct RunningApp {
    int pid = 0;
    QString localizedName;    // may be empty
    QString bundleIdentifier; // may be empty
    QString bundleLocation;   // where it is installed; may be empty
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool hidden = false;
    bool active = false;

    bool isValid() const { return pid > 0; }
    friend bool operator==(const RunningApp& a, const RunningApp& b) { return a.pid == b.pid; }
};

} // namespace tavrin
