#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <optional>

namespace tavrin {

// The workspace last arranged: its name, how many windows were placed, since
// when, and on which display. JSON keys are the field names; `since` is
// stored as seconds since 1 January 2001.
struct ActiveWorkspace {
    QString name;
    int windows = 0;
    QDateTime since;
    std::uint32_t displayID = 0;

    QJsonObject toJson() const;
    static std::optional<ActiveWorkspace> fromJson(const QJsonValue& json);
    bool operator==(const ActiveWorkspace&) const = default;
};

} // namespace tavrin

Q_DECLARE_METATYPE(tavrin::ActiveWorkspace)
