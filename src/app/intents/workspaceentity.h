#pragma once

#include <QString>

namespace tavrin {

// A saved workspace as the intents name it: by its name, its only identity.
struct WorkspaceEntity {
    QString id;

    // "Workspace".
    static QString typeDisplayName();
    // The title shown for it: the name itself.
    QString title() const { return id; }
    friend bool operator==(const WorkspaceEntity&, const WorkspaceEntity&) = default;
};

} // namespace tavrin
