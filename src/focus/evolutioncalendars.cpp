#include "focus/evolutioncalendars.h"

#include "focus/calendar/ics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace tavrin {

namespace {
const QString kSystemFolder = QStringLiteral("system");
const QString kCalendarFile = QStringLiteral("calendar.ics");
const QColor kDefaultColour(0x62, 0xa0, 0xea);

QString xdgFolder(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallback;
}
} // namespace

EvolutionCalendars::Folders EvolutionCalendars::ofThisUser()
{
    return {xdgFolder("XDG_DATA_HOME", QStringLiteral("/.local/share")) + QStringLiteral("/evolution/calendar"),
            xdgFolder("XDG_CONFIG_HOME", QStringLiteral("/.config")) + QStringLiteral("/evolution/sources")};
}

EvolutionCalendars::EvolutionCalendars(Folders folders, QObject* parent)
    : CalendarStore(parent),
      folders_(std::move(folders))
{
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &EvolutionCalendars::changedOnDisk);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &EvolutionCalendars::changedOnDisk);
    scan();
}

void EvolutionCalendars::requestFullAccess(std::function<void()> answered)
{
    if (answered)
        QMetaObject::invokeMethod(this, std::move(answered), Qt::QueuedConnection);
}

void EvolutionCalendars::changedOnDisk()
{
    // A save touches the folder and the file: one look, and one announcement.
    if (std::exchange(rescanQueued_, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            rescanQueued_ = false;
            scan();
            emit changed();
        },
        Qt::QueuedConnection);
}

void EvolutionCalendars::scan()
{
    QList<Calendar> found;
    QStringList watched{folders_.calendars, folders_.sources};
    const QDir root(folders_.calendars);
    for (const QString& folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QFileInfo file(root.filePath(folder + QLatin1Char('/') + kCalendarFile));
        watched << root.filePath(folder);
        if (!file.isFile())
            continue;
        watched << file.filePath();
        Calendar c;
        c.info = describe(folder);
        c.file = file.filePath();
        c.modified = file.lastModified();
        c.size = file.size();
        // Unchanged since last read: keep what was read.
        for (const Calendar& old : std::as_const(calendars_))
            if (old.file == c.file && old.modified == c.modified && old.size == c.size && old.parsed) {
                c.parsed = true;
                c.events = old.events;
            }
        found.append(std::move(c));
    }
    calendars_ = std::move(found);
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    for (const QString& path : std::as_const(watched))
        if (QFileInfo::exists(path))
            watcher_.addPath(path);
}

CalendarInfo EvolutionCalendars::describe(const QString& folder) const
{
    CalendarInfo info;
    info.id = folder == kSystemFolder ? kSystemSource : folder;
    info.title = sourceValue(info.id, QStringLiteral("Data Source"), QStringLiteral("DisplayName"));
    if (info.title.isEmpty())
        info.title = info.id == kSystemSource ? kSystemTitle : folder;
    info.colour = QColor::fromString(sourceValue(info.id, QStringLiteral("Calendar"), QStringLiteral("Color")));
    if (!info.colour.isValid())
        info.colour = kDefaultColour;
    const QString parent = sourceValue(info.id, QStringLiteral("Data Source"), QStringLiteral("Parent"));
    info.accountTitle = parent.isEmpty()
                            ? QString()
                            : sourceValue(parent, QStringLiteral("Data Source"), QStringLiteral("DisplayName"));
    if (info.accountTitle.isEmpty())
        info.accountTitle = kLocalAccount;
    return info;
}

QString EvolutionCalendars::sourceValue(const QString& source, const QString& section, const QString& key) const
{
    if (source.contains(QLatin1Char('/')))
        return {};
    QFile file(QDir(folders_.sources).filePath(source + QStringLiteral(".source")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    QString current;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (current == section && eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QList<CalendarInfo> EvolutionCalendars::calendars() const
{
    QList<CalendarInfo> out;
    for (const Calendar& c : calendars_)
        out.append(c.info);
    return out;
}

const QList<ICSEvent>& EvolutionCalendars::eventsOf(const Calendar& calendar) const
{
    if (!calendar.parsed) {
        QFile file(calendar.file);
        calendar.events =
            file.open(QIODevice::ReadOnly) ? ICS::parse(QString::fromUtf8(file.readAll())) : QList<ICSEvent>();
        calendar.parsed = true;
    }
    return calendar.events;
}

QList<CalendarEvent> EvolutionCalendars::events(const QStringList& calendarIds, double from, double to) const
{
    QList<CalendarEvent> out;
    for (const Calendar& c : calendars_) {
        if (!calendarIds.contains(c.info.id))
            continue;
        for (const ICSEvent& e : eventsOf(c)) {
            const double d = std::max(e.duration, 0.0);
            if (e.start > to)
                continue;
            for (const double start : e.occurrences(from - d, to))
                if (start + d >= from)
                    out.append(CalendarEvent{e.title, start, start + d, false});
        }
    }
    return out;
}

} // namespace tavrin
