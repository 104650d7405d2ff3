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
// have none: their window comes back with `url` in front and first. The
// window's title and its front tab's title tell apart windows of one
// application that show the same thing (three terminals in one folder);
// items saved before them have neither.
struct SavedItem {
    QString app;
    std::optional<QString> url;
    std::optional<QStringList> tabs;
    std::optional<int> front = std::nullopt;        // index into `tabs` of `url`
    std::optional<QString> title = std::nullopt;    // the window's title
    std::optional<QString> tabTitle = std::nullopt; // a browser window's front tab's title

    QJsonObject toJson() const;
    static std::optional<SavedItem> fromJson(const QJsonValue& json);
    bool operator==(const SavedItem&) const = default;
};

} // namespace tavrin
