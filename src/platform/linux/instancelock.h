#pragma once

#include <QString>

namespace tavrin {

// One running Tavrin per settings file: an exclusive lock on `<settings>.lock`
// beside the file the settings are written to (a link's target, so that two
// folders linking one file share one lock), held while this object lives.
// The lock file is never opened through a link. The system drops the lock when the
// process ends, however it ends, so a crash leaves nothing to clean up; a
// Tavrin on other settings (another XDG_CONFIG_HOME) locks another file.
class InstanceLock {
public:
    // Takes the lock for the settings file at `settingsPath`, making its
    // folder (0700) when missing.
    explicit InstanceLock(const QString& settingsPath);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Another process holds the lock: a Tavrin runs on these settings.
    bool heldElsewhere() const { return heldElsewhere_; }
    // Why no lock could be taken at all (a folder that can't be made, a file
    // system without locks), or empty. The caller may run on unguarded.
    QString problem() const { return problem_; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
    QString problem_;
};

} // namespace tavrin
