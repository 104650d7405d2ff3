#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace tavrin {

// Files that hold the user's own data, read and written with care: folders
// made 0700 and files 0600, writes atomic and flushed to disk, reads bounded
// in size and limited to regular files (never a pipe or a device, which
// could block or never end).
class PrivateFile {
public:
    // What identifies one version of a file: a change of content shows as a
    // change of one of these.
    struct Stamp {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedSecs = 0;
        qint64 modifiedNanos = 0;
        bool operator==(const Stamp&) const = default;
    };

    struct Read {
        enum class Outcome {
            ok,
            missing,
            // It is there but can't be read now (permission, an I/O error):
            // not the file's fault.
            unreadable,
            // Not a regular file, or larger than the limit.
            refused,
        };
        Outcome outcome = Outcome::missing;
        QByteArray bytes;
        Stamp stamp; // of the file read, when ok
        QString why; // the reason, unless ok or missing
    };

    // The whole of the regular file at `path` (links followed), when it holds
    // at most `limit` bytes. Never blocks on a pipe.
    static Read read(const QString& path, qint64 limit);

    // The stamp of the file at `path` (links followed); none when there is
    // nothing there.
    static std::optional<Stamp> stamp(const QString& path);

    // Makes the folder and any missing parents, each 0700; an existing folder
    // is left as it is. False (with the system's reason in `why`) when it can't.
    static bool makeFolder(const QString& path, QString* why = nullptr);

    // Replaces the file at `path` with `bytes`, all or nothing: they go to a
    // 0600 temporary file beside it (beside the link's target when `path` is
    // a link) that is flushed to disk, named `<name>.saving-XXXXXX` and
    // renamed over it. The error, or empty. A failed write leaves the old
    // file and no temporary file; so does a crash, but for one between the
    // naming and the renaming.
    static QString write(const QString& path, const QByteArray& bytes);

    // Removes what writes to `path` cut short by a crash left behind: the
    // temporary files named for it. Never call while another process may be
    // writing it.
    static void removeStaleTemporaries(const QString& path);

    // Makes an existing regular file 0600; links and other kinds are left alone.
    static void makePrivate(const QString& path);

    // Renames `from` (a link itself, not what it points to) to `to` when
    // nothing is there. Never copies, so never reads `from`. When false,
    // errno says why: EEXIST when something is at `to`.
    static bool renameToNew(const QString& from, const QString& to);

    // Why someone else could decide where the file at `path` is read from
    // and written to: its folder can be written by other users, or is not
    // the user's, or `path` is a link another user owns. Empty when none of
    // these holds (a folder not made yet included).
    static QString othersCanRedirect(const QString& path);

    // Whether `path` itself (not a link) is a regular file of the user's.
    static bool isOwnRegularFile(const QString& path);

    // Where write() puts the bytes for `path`: the path itself, or what its
    // link points to: the file at the end of its links, or the link's own
    // target when that leads nowhere yet.
    static QString writeTarget(const QString& path);
};

} // namespace tavrin
