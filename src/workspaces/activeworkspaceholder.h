#pragma once

#include "workspaces/activeworkspace.h"

#include <QObject>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace tavrin {

// Holds the current active workspace (none at start): set by the command
// bar after an arrangement that placed a window, put back by the workspace
// runner's undo, read by the menu-bar window and the sessions. The program
// makes one and hands it to each of them. It belongs to the desktop it was
// arranged on: once another platform is installed there is none. Main
// thread only.
class ActiveWorkspaceHolder : public QObject {
    Q_OBJECT
    // An ActiveWorkspace, or an invalid QVariant when there is none.
    Q_PROPERTY(QVariant value READ variant NOTIFY changed)
public:
    using QObject::QObject;

    const std::optional<ActiveWorkspace>& get() const;
    void set(std::optional<ActiveWorkspace> value);
    void clear() { set(std::nullopt); }

    QVariant variant() const { return get() ? QVariant::fromValue(*get()) : QVariant(); }

signals:
    void changed();

private:
    mutable std::optional<ActiveWorkspace> value_;
    mutable std::uint64_t installation_ = 0; // of the platform the value belongs to
};

} // namespace tavrin
