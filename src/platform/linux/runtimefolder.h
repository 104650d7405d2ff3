#pragma once

#include <QString>
#include <sys/types.h>

namespace tavrin {

// The folder for the session's sockets and other run-time files
// (XDG_RUNTIME_DIR), which every program Tavrin starts inherits. A session
// without one (a plain ssh login, a container) gets a folder of the user's
// own, never one that someone else made in the shared temporary folder.
class RuntimeFolder {
public:
    // The folder to use: `given` (XDG_RUNTIME_DIR) as it is when set;
    // otherwise `<temp>/runtime-tavrin-<uid>` when this call makes it, or an
    // earlier run of this user did (it is the user's, 0700, and not a link);
    // otherwise a fresh folder from mkdtemp. Empty, with the reason in
    // `why`, when none can be had.
    static QString choose(const QString& given, const QString& temp, uid_t uid, QString* why = nullptr);

    // Whether `path` is a folder (not a link) of `uid` that only it can use.
    static bool isPrivateFolderOf(const QString& path, uid_t uid);
};

} // namespace tavrin
