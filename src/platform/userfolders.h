#pragma once

#include <QString>

namespace tavrin {

// The user's own folders that the system reads other applications' files
// under. Empty means unknown: nothing is read there.
struct UserFolders {
    QString home;
    // Where applications keep their settings and state, one folder each.
    QString applicationSupport;

    // This user's: the home folder, and $XDG_CONFIG_HOME (else ~/.config).
    static UserFolders ofThisUser();
};

} // namespace tavrin
