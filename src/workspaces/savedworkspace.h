#pragma once

#include "windows/layoutkind.h"
#include "workspaces/planrequest.h"
#include "workspaces/saveditem.h"
#include "workspaces/workspaceplan.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// A workspace kept for reuse; `name` is its only identity. JSON keys are the
// field names ("auto" for `automatic`); `savedAt` is stored as seconds since
// 1 January 2001; optionals without a value are left out; a layout of another
// name does not decode.
struct SavedWorkspace {
    // The most windows a session saves and a restore brings back.
    static constexpr int kMaxWindows = 8;

    QString name;
    QString request;
    LayoutKind layout = LayoutKind::focusCentre;
    QStringList apps; // one application name per window
    QDateTime savedAt;
    std::optional<QList<SavedItem>> items; // what each window showed
    std::optional<bool> automatic;         // true when saved by a session

    bool isAutomatic() const { return automatic.value_or(false); }

    // The plan that brings this workspace back among the request's open
    // windows, one window per item (else per application), in order. An item
    // is taken as open only by a window of its application that shows it:
    // its address among the window's (front address, or the tabs and folder
    // `shown` holds for that window, one entry per window when given),
    // preferably with its title; else, where either address is unknown, by
    // its title or front tab's title. A window whose tabs were read (a
    // browser's session file lists it) is taken only when it holds every tab
    // of the item. An item that tells nothing of its window (no address, no
    // title: older saves, a private browser window) takes any window of its
    // application left over, but a browser's takes none its session file
    // lists. No window serves two items: the surest pairs are made first.
    // Items not open are opened: their address (with their tabs), else their
    // application. No clears.
    WorkspacePlan plan(const QList<PlanRequest::Window>& windows, const QList<SavedItem>& shown = {}) const;

    // "today at 18:02", "yesterday at 09:15", else the date and the time, in
    // the locale's forms and the local time zone.
    static QString relativeDate(const QDateTime& when, const QDateTime& now, const QLocale& locale = QLocale());

    QJsonObject toJson() const;
    static std::optional<SavedWorkspace> fromJson(const QJsonValue& json);
    bool operator==(const SavedWorkspace&) const = default;
};

} // namespace tavrin
