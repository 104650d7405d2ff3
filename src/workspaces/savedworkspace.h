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
    QString name;
    QString request;
    LayoutKind layout = LayoutKind::focusCentre;
    QStringList apps; // one application name per window
    QDateTime savedAt;
    std::optional<QList<SavedItem>> items; // what each window showed
    std::optional<bool> automatic;         // true when saved by a session

    bool isAutomatic() const { return automatic.value_or(false); }

    // The plan that brings this workspace back among the request's open
    // windows: for each item (else each application) in order, the first
    // unused open window of that application, preferring one showing the
    // item's address; else the item's address is opened (with its tabs when it
    // has two or more), else the application is launched. No clears.
    WorkspacePlan plan(const QList<PlanRequest::Window>& windows) const;

    // "today at 18:02", "yesterday at 09:15", else the date and the time, in
    // the locale's forms and the local time zone.
    static QString relativeDate(const QDateTime& when, const QDateTime& now, const QLocale& locale = QLocale());

    QJsonObject toJson() const;
    static std::optional<SavedWorkspace> fromJson(const QJsonValue& json);
    bool operator==(const SavedWorkspace&) const = default;
};

} // namespace tavrin
