#pragma once

#include "workspaces/activeworkspace.h"

#include <QObject>
#include <QVariant>
#include <optional>

namespace tavrin {

// Holds the current active workspace (`ActiveWorkspace::current()`): set by
// the command bar after an arrangement that placed a window, put back by
// undo, read by the menu-bar window and the sessions. Main thread only.
class ActiveWorkspaceHolder : public QObject {
    Q_OBJECT
    // An ActiveWorkspace, or an invalid QVariant when there is none.
    Q_PROPERTY(QVariant value READ variant NOTIFY changed)
public:
    using QObject::QObject;

    const std::optional<ActiveWorkspace>& get() const { return value_; }
    void set(std::optional<ActiveWorkspace> value);
    void clear() { set(std::nullopt); }

    QVariant variant() const { return value_ ? QVariant::fromValue(*value_) : QVariant(); }

signals:
    void changed();

private:
    std::optional<ActiveWorkspace> value_;
};

} // namespace tavrin
