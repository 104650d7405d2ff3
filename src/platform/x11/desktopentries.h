#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <vector>

namespace tavrin {

// One installed application: a desktop entry of type Application.
struct DesktopEntry {
    QString id;   // "org.example.Editor" for org.example.Editor.desktop
    QString path; // the file
    QString name;
    QString exec;
    QString icon;
    QString startupWMClass;
    QStringList mimeTypes;
    bool noDisplay = false; // installed, but not to be shown among applications
};

// The desktop entries installed under the XDG data folders, and the default
// applications of mimeapps.list: how running windows get their application's
// name and how applications are started.
class DesktopEntries {
public:
    // `dataDirs` and `configDirs` in precedence order; empty: the XDG ones.
    explicit DesktopEntries(QStringList dataDirs = {}, QStringList configDirs = {});

    // Reads the folders again (applications installed since).
    void reload();

    // Every entry, in folder precedence order.
    const std::vector<DesktopEntry>& all() const;
    // The entry of a window with this WM_CLASS (its instance and class).
    const DesktopEntry* forWindowClass(const QString& instance, const QString& wmClass) const;
    // By file (or by desktop id); reloads once when the file is new.
    const DesktopEntry* forLocation(const QString& location);
    // By name or id, ignoring case.
    const DesktopEntry* forName(const QString& name) const;
    // The default application for a MIME type (or "x-scheme-handler/…").
    const DesktopEntry* defaultFor(const QString& mimeType) const;

    // The program and arguments that start `entry` with these addresses, or
    // empty when its Exec line is malformed.
    static QStringList commandLine(const DesktopEntry& entry, const QList<QUrl>& urls = {});

    // Parses one desktop file; none when it is not a shown application.
    static std::optional<DesktopEntry> parse(const QString& path, const QString& id);

private:
    void ensureLoaded() const;
    const DesktopEntry* byId(const QString& id) const;

    QStringList dataDirs_;
    QStringList configDirs_;
    mutable bool loaded_ = false;
    mutable std::vector<DesktopEntry> entries_;
    mutable QHash<QString, int> index_;            // id → entry
    mutable QHash<QString, QStringList> defaults_; // MIME type → ids, in precedence order
};

} // namespace tavrin
