#include "platform/linux/firefoxsession.h"

#include "platform/linux/profilelock.h"
#include "platform/linux/regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSettings>
#include <QtEndian>
#include <cmath>
#include <lz4.h>

namespace tavrin::FirefoxSession {

namespace {

const QByteArray kMagic("mozLz40\0", 8);
// Real sessions unpack to a few MB; a larger file or size is not believed,
// which bounds the memory one read takes.
constexpr qint64 kMaxUnpacked = qint64{24} * 1024 * 1024;
constexpr qint64 kMaxFile = kMaxUnpacked;

std::optional<QByteArray> unpack(const QByteArray& file)
{
    if (file.size() < kMagic.size() + 4 || !file.startsWith(kMagic))
        return std::nullopt;
    const auto size = qFromLittleEndian<quint32>(file.constData() + kMagic.size());
    if (size == 0 || qint64(size) > kMaxUnpacked)
        return std::nullopt;
    const qsizetype header = kMagic.size() + 4;
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    const int written =
        LZ4_decompress_safe(file.constData() + header, out.data(), int(file.size() - header), int(size));
    if (written != int(size))
        return std::nullopt;
    return out;
}

// A tab's current page: entry `index` (counted from 1) of its history.
std::optional<BrowserTab> currentPage(const QJsonObject& tab)
{
    const QJsonArray entries = tab.value(QLatin1String("entries")).toArray();
    if (entries.isEmpty())
        return std::nullopt;
    const qsizetype index =
        std::clamp<qsizetype>(tab.value(QLatin1String("index")).toInt(int(entries.size())), 1, entries.size());
    const QJsonObject entry = entries.at(index - 1).toObject();
    const QString url = entry.value(QLatin1String("url")).toString();
    if (url.isEmpty())
        return std::nullopt;
    return BrowserTab{entry.value(QLatin1String("title")).toString(), url};
}

BrowserWindow windowOf(const QJsonObject& window)
{
    BrowserWindow out;
    const QJsonArray tabs = window.value(QLatin1String("tabs")).toArray();
    // "selected" counts from 1 (it can be written counting from 0: the
    // front tab is checked against the window's title by whoever matches).
    const double written = window.value(QLatin1String("selected")).toDouble(1);
    const qint64 selected = std::isfinite(written) ? qint64(std::clamp(written, 0.0, 1e9)) - 1 : 0;
    qint64 pages = 0; // tabs with a page so far
    qint64 front = -1;
    std::optional<BrowserTab> frontPage;
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        if (front < 0 && i >= selected)
            front = pages;
        const auto page = currentPage(tabs.at(i).toObject());
        if (!page)
            continue;
        if (pages == front)
            frontPage = page;
        if (pages++ < kMaxTabsRead)
            out.tabs.append(*page);
    }
    if (front < 0)
        front = pages - 1;
    // Past the tabs kept, the one in front is kept last.
    if (front >= kMaxTabsRead && frontPage) {
        out.tabs.back() = *frontPage;
        front = out.tabs.size() - 1;
    }
    out.front = int(std::clamp<qint64>(front, 0, std::max<qint64>(out.tabs.size() - 1, 0)));
    // Its outer frame on screen, rewritten with the rest of the file.
    const auto number = [&](const char* key) { return window.value(QLatin1String(key)).toDouble(qQNaN()); };
    const double x = number("screenX"), y = number("screenY"), width = number("width"), height = number("height");
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0
        && std::abs(x) < 1e6 && std::abs(y) < 1e6 && width < 1e6 && height < 1e6)
        out.bounds = Rect(x, y, width, height);
    return out;
}

// Each window's place in the browser's own stacking ("zIndex", 1 the front
// one), as how recently it was in use: 0 the last one.
void rankByUse(QList<BrowserWindow>& windows, const QList<double>& zIndex)
{
    QList<qsizetype> order;
    for (qsizetype i = 0; i < windows.size(); ++i)
        if (std::isfinite(zIndex[i]))
            order.append(i);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return zIndex[a] < zIndex[b]; });
    for (qsizetype rank = 0; rank < order.size(); ++rank)
        windows[order[rank]].lastUsed = int(rank);
}

// The profile folders "profiles.ini" names: each installation's default
// first, then every profile.
QStringList profileFolders(const QString& profilesFolder)
{
    const QDir root(profilesFolder);
    QSettings ini(root.filePath(QStringLiteral("profiles.ini")), QSettings::IniFormat);
    QStringList first, rest;
    for (const QString& group : ini.childGroups()) {
        ini.beginGroup(group);
        if (group.startsWith(QLatin1String("Install")) && ini.contains(QStringLiteral("Default"))) {
            first.append(root.filePath(ini.value(QStringLiteral("Default")).toString()));
        } else if (group.startsWith(QLatin1String("Profile")) && ini.contains(QStringLiteral("Path"))) {
            const QString path = ini.value(QStringLiteral("Path")).toString();
            rest.append(ini.value(QStringLiteral("IsRelative"), 1).toInt() ? root.filePath(path) : path);
        }
        ini.endGroup();
    }
    QStringList out;
    for (const QString& folder : first + rest)
        if (!out.contains(QDir::cleanPath(folder)))
            out.append(QDir::cleanPath(folder));
    return out;
}

std::optional<QList<BrowserWindow>> readFile(const QString& path)
{
    // The file is replaced whole; one that changes while read is read once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto bytes = RegularFile::read(path, kMaxFile);
        if (!bytes)
            return std::nullopt;
        if (auto windows = parse(*bytes))
            return windows;
    }
    return std::nullopt;
}

// The session's JSON object; none when the file is not a session file.
std::optional<QJsonObject> sessionObject(const QByteArray& file)
{
    const auto json = unpack(file);
    if (!json)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// The value a profile's preferences ("prefs.js", then the user's own
// "user.js", which wins) give `name`, as written; empty when none does.
QString preference(const QString& profile, const QString& name)
{
    const QRegularExpression line(
        QStringLiteral(R"(^\s*user_pref\(\s*"%1"\s*,\s*([^)]*?)\s*\)\s*;)").arg(QRegularExpression::escape(name)),
        QRegularExpression::MultilineOption);
    QString value;
    for (const char* file : {"/prefs.js", "/user.js"})
        if (const auto bytes = RegularFile::read(profile + QLatin1String(file), kMaxFile))
            for (auto it = line.globalMatch(QString::fromUtf8(*bytes)); it.hasNext();)
                value = it.next().captured(1);
    return value;
}

// Whether the profile's browser, not running, brings its recovery file's
// windows back when it starts (see restoredOnStart).
bool resumesAfterCrash(const QString& profile, const QJsonObject& session)
{
    if (preference(profile, QStringLiteral("browser.sessionstore.resume_from_crash")) == QLatin1String("false"))
        return false;
    bool set = false;
    const int allowed = preference(profile, QStringLiteral("browser.sessionstore.max_resumed_crashes")).toInt(&set);
    const int before = session.value(QLatin1String("session")).toObject().value(QLatin1String("recentCrashes")).toInt();
    const int limit = set ? allowed : 1;
    return limit < 0 || before + 1 <= limit;
}

} // namespace

std::optional<QList<BrowserWindow>> parse(const QByteArray& file)
{
    const auto session = sessionObject(file);
    if (!session)
        return std::nullopt;
    QList<BrowserWindow> out;
    QList<double> zIndex;
    const QJsonArray windows = session->value(QLatin1String("windows")).toArray();
    for (const QJsonValue window : windows) {
        if (out.size() == kMaxWindowsRead)
            break;
        BrowserWindow read = windowOf(window.toObject());
        if (read.tabs.isEmpty()) // the first write can hold a window without tabs
            continue;
        out.append(std::move(read));
        zIndex.append(window.toObject().value(QLatin1String("zIndex")).toDouble(qQNaN()));
    }
    rankByUse(out, zIndex);
    return out;
}

std::optional<QDateTime> writtenAt(const QString& profilesFolder)
{
    std::optional<QDateTime> newest;
    for (const QString& profile : profileFolders(profilesFolder)) {
        if (!ProfileLock::held(profile + QStringLiteral("/lock")))
            continue;
        const QFileInfo file(profile + QStringLiteral("/sessionstore-backups/recovery.jsonlz4"));
        // Not written yet in this run: before any change.
        const QDateTime at = file.exists() ? file.lastModified() : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
        if (at.isValid() && (!newest || at > *newest))
            newest = at;
    }
    return newest;
}

std::optional<QList<BrowserWindow>> read(const QString& profilesFolder)
{
    std::optional<QList<BrowserWindow>> out;
    for (const QString& profile : profileFolders(profilesFolder)) {
        // A profile whose browser does not run shows no window now.
        if (!ProfileLock::held(profile + QStringLiteral("/lock")))
            continue;
        const QString file = profile + QStringLiteral("/sessionstore-backups/recovery.jsonlz4");
        // A browser that has not written its file yet in this run (it
        // moves it away when it ends) lists no window so far.
        if (!QFileInfo::exists(file) && !out)
            out.emplace();
        if (const auto windows = readFile(file)) {
            if (!out)
                out.emplace();
            out->append(*windows);
        }
    }
    return out;
}

QList<BrowserWindow> restoredOnStart(const QString& profilesFolder)
{
    QList<BrowserWindow> out;
    for (const QString& profile : profileFolders(profilesFolder)) {
        if (ProfileLock::held(profile + QStringLiteral("/lock"))
            || QFileInfo::exists(profile + QStringLiteral("/sessionstore.jsonlz4")))
            continue;
        const auto bytes =
            RegularFile::read(profile + QStringLiteral("/sessionstore-backups/recovery.jsonlz4"), kMaxFile);
        const auto session = bytes ? sessionObject(*bytes) : std::nullopt;
        if (!session || !resumesAfterCrash(profile, *session))
            continue;
        if (const auto windows = parse(*bytes))
            out.append(*windows);
    }
    return out;
}

} // namespace tavrin::FirefoxSession
