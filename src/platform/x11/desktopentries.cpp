#include "platform/x11/desktopentries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavrin {

namespace {

QStringList xdgDirs(const char* homeVar, const QString& homeFallback, const char* dirsVar, const QString& dirsFallback)
{
    QStringList dirs;
    QString home = qEnvironmentVariable(homeVar);
    if (home.isEmpty())
        home = QDir::homePath() + homeFallback;
    dirs << home;
    QString list = qEnvironmentVariable(dirsVar);
    if (list.isEmpty())
        list = dirsFallback;
    for (const QString& d : list.split(u':', Qt::SkipEmptyParts))
        dirs << d;
    return dirs;
}

// The escapes of a desktop file's string values.
QString unescapeValue(const QString& v)
{
    QString out;
    out.reserve(v.size());
    for (int i = 0; i < v.size(); ++i) {
        if (v[i] == u'\\' && i + 1 < v.size()) {
            const QChar c = v[++i];
            out += c == u's'   ? QChar(u' ')
                   : c == u'n' ? QChar(u'\n')
                   : c == u't' ? QChar(u'\t')
                   : c == u'r' ? QChar(u'\r')
                               : c;
        } else {
            out += v[i];
        }
    }
    return out;
}

// Keys of one group of an INI-like file (unlocalised keys only).
QHash<QString, QString> readGroup(const QString& path, const QString& group)
{
    QHash<QString, QString> keys;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return keys;
    bool in = false;
    const QString header = u'[' + group + u']';
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            in = line == header;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!in || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (key.contains(u'['))
            continue;
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return keys;
}

// Splits an Exec value into arguments: blanks separate them, double quotes
// group them, and inside quotes a backslash escapes the next character.
std::optional<QStringList> splitExec(const QString& exec)
{
    QStringList args;
    QString cur;
    bool quoted = false, has = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size())
                cur += exec[++i];
            else if (c == u'"')
                quoted = false;
            else
                cur += c;
        } else if (c == u'"') {
            quoted = has = true;
        } else if (c == u' ' || c == u'\t') {
            if (has || !cur.isEmpty())
                args << cur;
            cur.clear();
            has = false;
        } else {
            cur += c;
        }
    }
    if (quoted)
        return std::nullopt;
    if (has || !cur.isEmpty())
        args << cur;
    return args;
}

QString fileArgument(const QUrl& url) { return url.isLocalFile() ? url.toLocalFile() : url.toString(); }

} // namespace

DesktopEntries::DesktopEntries(QStringList dataDirs, QStringList configDirs)
    : dataDirs_(std::move(dataDirs)),
      configDirs_(std::move(configDirs))
{
    if (dataDirs_.isEmpty())
        dataDirs_ = xdgDirs("XDG_DATA_HOME", QStringLiteral("/.local/share"), "XDG_DATA_DIRS",
                            QStringLiteral("/usr/local/share:/usr/share"));
    if (configDirs_.isEmpty())
        configDirs_ =
            xdgDirs("XDG_CONFIG_HOME", QStringLiteral("/.config"), "XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
}

std::optional<DesktopEntry> DesktopEntries::parse(const QString& path, const QString& id)
{
    const auto keys = readGroup(path, QStringLiteral("Desktop Entry"));
    if (keys.value(QStringLiteral("Type")) != QLatin1String("Application")
        || keys.value(QStringLiteral("Hidden")) == QLatin1String("true")
        || keys.value(QStringLiteral("Exec")).isEmpty())
        return std::nullopt;
    DesktopEntry e;
    e.id = id;
    e.path = path;
    e.name = unescapeValue(keys.value(QStringLiteral("Name")));
    e.exec = unescapeValue(keys.value(QStringLiteral("Exec")));
    e.icon = unescapeValue(keys.value(QStringLiteral("Icon")));
    e.startupWMClass = unescapeValue(keys.value(QStringLiteral("StartupWMClass")));
    e.mimeTypes = keys.value(QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts);
    e.noDisplay = keys.value(QStringLiteral("NoDisplay")) == QLatin1String("true");
    if (e.name.isEmpty())
        e.name = id;
    return e;
}

const std::vector<DesktopEntry>& DesktopEntries::all() const
{
    ensureLoaded();
    return entries_;
}

void DesktopEntries::reload()
{
    loaded_ = false;
    ensureLoaded();
}

void DesktopEntries::ensureLoaded() const
{
    if (loaded_)
        return;
    loaded_ = true;
    entries_.clear();
    index_.clear();
    defaults_.clear();
    QSet<QString> seen; // an id in an earlier folder hides the same id in later ones
    for (const QString& data : dataDirs_) {
        const QString apps = data + QStringLiteral("/applications");
        QDirIterator it(apps, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(apps).relativeFilePath(path);
            id.chop(int(qstrlen(".desktop")));
            id.replace(u'/', u'-');
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (auto e = parse(path, id)) {
                index_.insert(id, int(entries_.size()));
                entries_.push_back(std::move(*e));
            }
        }
    }
    QStringList lists;
    for (const QString& c : configDirs_)
        lists << c + QStringLiteral("/mimeapps.list");
    for (const QString& d : dataDirs_)
        lists << d + QStringLiteral("/applications/mimeapps.list");
    for (const QString& list : lists) {
        const auto group = readGroup(list, QStringLiteral("Default Applications"));
        for (auto it = group.begin(); it != group.end(); ++it) {
            for (QString id : it.value().split(u';', Qt::SkipEmptyParts)) {
                if (id.endsWith(QLatin1String(".desktop")))
                    id.chop(int(qstrlen(".desktop")));
                defaults_[it.key()] << id;
            }
        }
    }
}

const DesktopEntry* DesktopEntries::byId(const QString& id) const
{
    const auto it = index_.constFind(id);
    return it == index_.cend() ? nullptr : &entries_[std::size_t(*it)];
}

const DesktopEntry* DesktopEntries::forWindowClass(const QString& instance, const QString& wmClass) const
{
    ensureLoaded();
    if (instance.isEmpty() && wmClass.isEmpty())
        return nullptr;
    auto same = [](const QString& a, const QString& b) {
        return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
    };
    for (const DesktopEntry& e : entries_)
        if (same(e.startupWMClass, wmClass) || same(e.startupWMClass, instance))
            return &e;
    for (const DesktopEntry& e : entries_)
        if (e.startupWMClass.isEmpty() && (same(e.id, wmClass) || same(e.id, instance)))
            return &e;
    return nullptr;
}

const DesktopEntry* DesktopEntries::forLocation(const QString& location)
{
    ensureLoaded();
    auto find = [&]() -> const DesktopEntry* {
        for (const DesktopEntry& e : entries_)
            if (e.path == location)
                return &e;
        return byId(location.endsWith(QLatin1String(".desktop")) ? location.chopped(8) : location);
    };
    if (const DesktopEntry* e = find())
        return e;
    if (!QFileInfo::exists(location))
        return nullptr;
    reload();
    if (const DesktopEntry* e = find())
        return e;
    // A desktop file outside the folders (a user's own): read it on its own.
    const QString id = QFileInfo(location).completeBaseName();
    if (auto e = parse(location, id)) {
        entries_.push_back(std::move(*e));
        return &entries_.back();
    }
    return nullptr;
}

const DesktopEntry* DesktopEntries::forName(const QString& name) const
{
    ensureLoaded();
    for (const DesktopEntry& e : entries_)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    for (const DesktopEntry& e : entries_)
        if (e.id.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

const DesktopEntry* DesktopEntries::defaultFor(const QString& mimeType) const
{
    ensureLoaded();
    for (const QString& id : defaults_.value(mimeType))
        if (const DesktopEntry* e = byId(id))
            return e;
    for (const DesktopEntry& e : entries_)
        if (e.mimeTypes.contains(mimeType))
            return &e;
    return nullptr;
}

QStringList DesktopEntries::commandLine(const DesktopEntry& entry, const QList<QUrl>& urls)
{
    const auto split = splitExec(entry.exec);
    if (!split || split->isEmpty())
        return {};
    QStringList out;
    bool tookUrls = false;
    for (const QString& arg : *split) {
        if (arg == QLatin1String("%F") || arg == QLatin1String("%U")) {
            for (const QUrl& u : urls)
                out << (arg == QLatin1String("%F") ? fileArgument(u) : u.toString());
            tookUrls = true;
            continue;
        }
        if (arg == QLatin1String("%i")) {
            if (!entry.icon.isEmpty())
                out << QStringLiteral("--icon") << entry.icon;
            continue;
        }
        QString expanded;
        bool dropped = false;
        for (int i = 0; i < arg.size(); ++i) {
            if (arg[i] != u'%' || i + 1 >= arg.size()) {
                expanded += arg[i];
                continue;
            }
            const QChar code = arg[++i];
            switch (code.unicode()) {
            case '%': expanded += u'%'; break;
            case 'f':
            case 'F':
                tookUrls = true;
                if (urls.isEmpty())
                    dropped = true;
                else
                    expanded += fileArgument(urls.first());
                break;
            case 'u':
            case 'U':
                tookUrls = true;
                if (urls.isEmpty())
                    dropped = true;
                else
                    expanded += urls.first().toString();
                break;
            case 'c': expanded += entry.name; break;
            case 'k': expanded += entry.path; break;
            default: break; // deprecated and unknown codes expand to nothing
            }
        }
        if (!(dropped && expanded.isEmpty()) && !(expanded.isEmpty() && arg.startsWith(u'%')))
            out << expanded;
    }
    if (!tookUrls)
        for (const QUrl& u : urls)
            out << u.toString();
    return out;
}

} // namespace tavrin
