#pragma once

#include "settings/panepage.h"
#include "workspaces/savedworkspace.h"

namespace tavrin {

class TCard;

// The workspaces pane: the saved workspaces, newest first, each with its
// name, when it was saved, its applications and a mark for those saved
// automatically, and a button that deletes it.
class WorkspacesPane : public PanePage {
    Q_OBJECT
public:
    explicit WorkspacesPane(QWidget* parent = nullptr);

    // The second line of a workspace's row: when, and which applications.
    static QString detail(const SavedWorkspace& workspace, const QDateTime& now);

private:
    void fill();
    void remove(const QString& name);

    TCard* list_;
};

} // namespace tavrin
