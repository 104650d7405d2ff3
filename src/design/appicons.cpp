#include "design/appicons.h"

#include "platform/platform.h"
#include "platform/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace tavrin {

namespace {

bool usableInPath(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && name != QLatin1String(".")
           && name != QLatin1String("..");
}

} // namespace

AppIcons::AppIcons(QStringList folders) : folders_(std::move(folders)) {}

AppIcons& AppIcons::shared()
{
    static AppIcons icons(QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation));
    return icons;
}

std::optional<AppIcons::DesktopEntry> AppIcons::readEntry(const QString& path)
{
    QFile file(path);
    // Desktop entries are small; anything large is not one.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || file.size() > qint64{1024} * 1024)
        return std::nullopt;
    QTextStream in(&file);
    bool inGroup = false;
    bool found = false;
    DesktopEntry entry;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            found = found || inGroup;
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Icon"))
            entry.icon = value;
        else if (key == QLatin1String("Hidden") || key == QLatin1String("NoDisplay"))
            entry.hidden = entry.hidden || value == QLatin1String("true");
    }
    if (!found)
        return std::nullopt;
    return entry;
}

QIcon AppIcons::iconFor(const QString& value)
{
    if (value.isEmpty())
        return {};
    if (QDir::isAbsolutePath(value)) {
        return QFileInfo(value).isFile() ? QIcon(value) : QIcon();
    }
    return QIcon::fromTheme(value);
}

std::optional<QString> AppIcons::runningCandidate(const QString& name) const
{
    if (!Platform::isInstalled() || !Platform::current().workspace)
        return std::nullopt;
    const auto apps = Platform::current().workspace->runningApplications();
    const auto it =
        std::find_if(apps.begin(), apps.end(), [&](const RunningApp& a) { return a.localizedName == name; });
    if (it == apps.end())
        return std::nullopt;
    if (it->bundleLocation.endsWith(QLatin1String(".desktop")) && QFileInfo::exists(it->bundleLocation))
        return it->bundleLocation;
    // An application started from an entry usually carries the entry's name
    // as its identifier.
    if (usableInPath(it->bundleIdentifier))
        for (const QString& folder : folders_) {
            const QString path = folder + QLatin1Char('/') + it->bundleIdentifier + QLatin1String(".desktop");
            if (QFileInfo::exists(path))
                return path;
        }
    return std::nullopt;
}

void AppIcons::refreshNameIndex()
{
    bool changed = folderStamps_.size() != folders_.size();
    for (const QString& folder : folders_) {
        const QDateTime stamp = QFileInfo(folder).lastModified();
        if (folderStamps_.value(folder) != stamp) {
            folderStamps_[folder] = stamp;
            changed = true;
        }
    }
    if (!changed)
        return;
    byName_.clear();
    for (const QString& folder : folders_) {
        const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name);
        for (const QFileInfo& file : files) {
            const auto entry = readEntry(file.filePath());
            if (entry && !entry->hidden && !entry->name.isEmpty() && !byName_.contains(entry->name))
                byName_.insert(entry->name, file.filePath());
        }
    }
}

std::optional<QString> AppIcons::folderCandidate(const QString& name)
{
    if (!usableInPath(name))
        return std::nullopt;
    for (const QString& folder : folders_) {
        for (const QString& file : {name, name.toLower()}) {
            const QString path = folder + QLatin1Char('/') + file + QLatin1String(".desktop");
            if (QFileInfo::exists(path))
                return path;
        }
    }
    refreshNameIndex();
    const auto it = byName_.constFind(name);
    if (it != byName_.constEnd())
        return *it;
    return std::nullopt;
}

QIcon AppIcons::lookup(const QString& name)
{
    if (const auto it = cache_.constFind(name); it != cache_.constEnd())
        return *it;
    std::optional<QString> candidate = runningCandidate(name);
    if (!candidate)
        candidate = folderCandidate(name);
    if (!candidate)
        return {};
    const auto entry = readEntry(*candidate);
    QIcon icon = entry ? iconFor(entry->icon) : QIcon();
    if (icon.isNull())
        return {};
    cache_.insert(name, icon);
    return icon;
}

} // namespace tavrin
