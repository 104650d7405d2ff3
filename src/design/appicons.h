#pragma once

#include <QDateTime>
#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// Finds an application's icon by the name users see. A running application
// of that name leads to its desktop entry; otherwise the folders of desktop
// entries are searched for an entry named after the application (file name
// or "Name="). The entry's "Icon=" is an image file or a name in the icon
// theme. Icons found are kept for the rest of the run; a name without an
// icon is searched for again next time.
//
// Names may come from a planner, so a name with a "/" in it (or "." or "..")
// is never made into a path: it is only compared with the names of running
// applications.
//
// Main thread only.
class AppIcons {
public:
    struct DesktopEntry {
        QString name;
        QString icon;
        bool hidden = false;
    };

    // `folders` hold desktop entries, searched in order.
    explicit AppIcons(QStringList folders);

    // The process-wide lookup over the desktop's application folders.
    static AppIcons& shared();

    // The icon, or a null icon when none is found.
    QIcon lookup(const QString& name);
    bool isCached(const QString& name) const { return cache_.contains(name); }

    // The "[Desktop Entry]" group of a desktop entry file; none when the file
    // cannot be read or has no such group.
    static std::optional<DesktopEntry> readEntry(const QString& path);
    // An "Icon=" value as an icon: an absolute path is an image file, any
    // other value a name in the icon theme.
    static QIcon iconFor(const QString& value);

private:
    std::optional<QString> runningCandidate(const QString& name) const;
    std::optional<QString> folderCandidate(const QString& name);
    void refreshNameIndex();

    QStringList folders_;
    QHash<QString, QIcon> cache_;
    // "Name=" of every entry, to its file; rebuilt when a folder changes.
    QHash<QString, QString> byName_;
    QHash<QString, QDateTime> folderStamps_;
};

} // namespace tavrin
