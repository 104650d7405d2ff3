#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// What one window of a saved workspace showed: its application and, where an
// integration could tell, the address of its page, folder or document and a
// browser window's tab addresses in their order (the front one included)
// with the index of the front one among them. JSON keys are the field names;
// optionals without a value are left out. Items saved before `front` existed
// have none: their window comes back with `url` in front and first.
struct SavedItem {
    QString app;
    std::optional<QString> url;
    std::optional<QStringList> tabs;
    std::optional<int> front = std::nullopt; // index into `tabs` of `url`

    QJsonObject toJson() const;
    static std::optional<SavedItem> fromJson(const QJsonValue& json);
    bool operator==(const SavedItem&) const = default;
};

} // namespace tavrin
