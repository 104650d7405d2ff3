#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace tavrin {

// One release in an update feed.
struct AppcastItem {
    QString title;
    QString version;        // compared with the running version
    QString displayVersion; // shown to the user; the version when the feed gives none
    QUrl downloadURL;       // the enclosure's address
    QUrl infoURL;           // the item's link, or its release notes
    friend bool operator==(const AppcastItem&, const AppcastItem&) = default;
};

// An update feed: an RSS 2.0 channel whose items carry an enclosure with a
// version attribute (or a version element of the item). Items without a
// version are left out.
class Appcast {
public:
    // The items in feed order; none, with `error` set, when the text is not
    // such a feed.
    static std::optional<QList<AppcastItem>> parse(const QByteArray& xml, QString* error = nullptr);

    // The item with the highest version (the first of equals), or none.
    static std::optional<AppcastItem> newest(const QList<AppcastItem>& items);

    // Orders two version texts: negative when `a` is older than `b`, 0 when
    // they are the same, positive when newer. Runs of digits compare as
    // numbers ("1.10" is newer than "1.9"), a missing trailing number
    // counts as older ("1.0" < "1.0.1"), and a trailing word marks a
    // pre-release ("1.0b2" < "1.0").
    static int compareVersions(const QString& a, const QString& b);
};

} // namespace tavrin
