#pragma once

#include "windows/layoutkind.h"
#include "workspaces/clearaction.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// A planner's answer: the windows to use (main window first), the layout and
// the applications to clear away. `existingWindow` numbers index the
// request's windows. JSON keys are the field names; optionals without a
// value are left out; a layout or action of another name does not decode.
struct WorkspacePlan {
    struct Window {
        QString app;
        std::optional<int> existingWindow;
        std::optional<QString> openURL;
        QString purpose;
        std::optional<QStringList> tabs; // addresses to open with `openURL`
        std::optional<QString> frontTab; // one of the window's other tabs, to bring forward
        // A saved window's: how many of `tabs` stand before `openURL` in it
        // (none: `openURL` is first).
        std::optional<int> tabsBefore = std::nullopt;

        QJsonObject toJson() const;
        static std::optional<Window> fromJson(const QJsonValue& json);
        bool operator==(const Window&) const = default;
    };

    struct Clear {
        int existingWindow = 0;
        ClearAction action = ClearAction::hide;

        QJsonObject toJson() const;
        static std::optional<Clear> fromJson(const QJsonValue& json);
        bool operator==(const Clear&) const = default;
    };

    static constexpr int kMaxWindows = 6;

    QString workspaceName;
    LayoutKind layout = LayoutKind::focusCentre;
    QString why;
    QList<Window> windows;
    std::optional<QList<Clear>> clear;
    // Made from a saved workspace, whose addresses were read from the user's
    // own windows: its file addresses may be opened too. Never part of the
    // JSON form, so a planner's answer cannot claim it.
    bool fromSavedWorkspace = false;

    QJsonObject toJson() const;
    static std::optional<WorkspacePlan> fromJson(const QJsonValue& json);
    // The plan in JSON text; none when `data` is not JSON or not a plan.
    static std::optional<WorkspacePlan> fromJsonData(const QByteArray& data);
    bool operator==(const WorkspacePlan&) const = default;
};

} // namespace tavrin
