#pragma once

#include "platform/runmarks.h"

#include <QHash>

namespace tavrin {

// Run marks as files, `<name>.mark`, in the folder of the program's settings
// (made 0700 when missing). A mark is its file's being there: made with
// one create and taken down with one unlink, each whole as a crash sees it,
// and never flushed to disk (a crash of the program leaves the file in the
// system's cache; only a crash of the system may lose it). The file holds
// the id of the process that raised it, for people reading the folder.
//
// Only a regular file of this user's counts as a mark: anything else found
// at its place (a link, a folder, another user's file, say from a run as
// another user) tells nothing and is replaced when the mark is raised.
// Nothing is read or written in a folder other users can write or that is
// not this user's.
class MarkFolder : public RunMarks {
public:
    explicit MarkFolder(const QString& folder);

    bool leftStanding(const QString& name) override;
    QString raise(const QString& name) override;
    QString lower(const QString& name) override;

    QString pathOf(const QString& name) const;

private:
    // Reads what a mark was at the start of the run, once.
    bool firstLook(const QString& name);

    QString folder_;
    QHash<QString, bool> atStart_;
};

} // namespace tavrin
