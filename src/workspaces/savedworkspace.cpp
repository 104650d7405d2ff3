#include "workspaces/savedworkspace.h"

#include "platform/clock.h"
#include "platform/platform.h"
#include "workspaces/planaddress.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <cmath>

namespace tavrin {

using namespace recordjson;

namespace {

// Seconds from 2001 beyond which a stored date is taken for damage (some
// three thousand years): every date the program writes lies well inside.
constexpr double kLatestDate = 1e11;

// The locale's date with the month abbreviated and without the weekday.
QString mediumDate(const QLocale& locale, const QDate& date)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("[,\\s]*dddd[,\\s]*"));
    format.replace(weekday, QStringLiteral(" "));
    format.replace(QLatin1String("MMMM"), QLatin1String("MMM"));
    return locale.toString(date, format.trimmed());
}

// The address a saved item brings back when no open window shows it: web
// addresses cleaned, file addresses as they are, nothing else.
std::optional<QString> restorableAddress(const std::optional<QString>& address)
{
    if (!address)
        return std::nullopt;
    if (isFileAddress(*address))
        return address->trimmed();
    return cleanedWebAddress(*address);
}

// Gives `w`, which opens `address`, the item's other tabs, cleaned and in
// their order, and where `address` stands among them. The item's tabs
// include the front one: the tab at `front` where the item says (and it is
// that address), else the first with that address, which then opens first
// (as items saved without `front` always did).
void addSavedTabs(const SavedItem& item, const QString& address, WorkspacePlan::Window& w)
{
    if (!item.tabs || item.tabs->size() < 2)
        return;
    const QStringList& tabs = *item.tabs;
    const bool placed =
        item.front && *item.front >= 0 && *item.front < tabs.size() && cleanedWebAddress(tabs[*item.front]) == address;
    QStringList further;
    int before = 0;
    bool frontSkipped = false;
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        const auto cleaned = cleanedWebAddress(tabs[i]);
        if (!cleaned)
            continue;
        if (!frontSkipped && (placed ? i == *item.front : cleaned == address)) {
            frontSkipped = true;
            before = placed ? int(further.size()) : 0;
            continue;
        }
        further.append(*cleaned);
    }
    if (further.isEmpty())
        return;
    w.tabs = further;
    if (before > 0)
        w.tabsBefore = before;
}

} // namespace

WorkspacePlan SavedWorkspace::plan(const QList<PlanRequest::Window>& windows) const
{
    WorkspacePlan p;
    p.workspaceName = name;
    p.layout = layout;
    p.why = QStringLiteral("Your saved workspace from ") + relativeDate(savedAt, Platform::current().clock->nowDate());
    p.fromSavedWorkspace = true;

    QList<SavedItem> wanted;
    if (items && !items->isEmpty())
        wanted = *items;
    else
        for (const QString& app : apps)
            wanted.append(SavedItem{app, std::nullopt, std::nullopt});

    std::vector<bool> used(std::size_t(windows.size()), false);
    for (const SavedItem& item : wanted) {
        const std::optional<QString> address = restorableAddress(item.url);
        int found = -1;
        for (int i = 0; i < windows.size(); ++i) {
            if (used[std::size_t(i)] || windows[i].app != item.app)
                continue;
            if (found < 0)
                found = i;
            if (address && windows[i].url == address) {
                found = i;
                break;
            }
        }

        WorkspacePlan::Window w;
        w.app = item.app;
        if (found >= 0) {
            used[std::size_t(found)] = true;
            w.existingWindow = found;
        } else if (address) {
            w.openURL = address;
            addSavedTabs(item, *address, w);
        }
        p.windows.append(std::move(w));
    }
    return p;
}

QString SavedWorkspace::relativeDate(const QDateTime& when, const QDateTime& now, const QLocale& locale)
{
    const QDateTime local = when.toLocalTime();
    const QString time = locale.toString(local.time(), QLocale::ShortFormat);
    const qint64 days = local.date().daysTo(now.toLocalTime().date());
    if (days == 0)
        return QStringLiteral("today at ") + time;
    if (days == 1)
        return QStringLiteral("yesterday at ") + time;
    return mediumDate(locale, local.date()) + QStringLiteral(" at ") + time;
}

QJsonObject SavedWorkspace::toJson() const
{
    QJsonObject o{{QStringLiteral("name"), name},
                  {QStringLiteral("request"), request},
                  {QStringLiteral("layout"), tavrin::name(layout)},
                  {QStringLiteral("apps"), QJsonArray::fromStringList(apps)},
                  {QStringLiteral("savedAt"), Clock::referenceSeconds(savedAt)}};
    if (items)
        o.insert(QStringLiteral("items"), writeList(*items));
    if (automatic)
        o.insert(QStringLiteral("auto"), *automatic);
    return o;
}

std::optional<SavedWorkspace> SavedWorkspace::fromJson(const QJsonValue& json)
{
    const QJsonObject o = json.toObject();
    SavedWorkspace w;
    QString layoutName;
    double savedAt = 0;
    std::optional<QStringList> apps;
    if (!json.isObject() || !readString(o, QStringLiteral("name"), w.name)
        || !readString(o, QStringLiteral("request"), w.request) || !readString(o, QStringLiteral("layout"), layoutName)
        || !readDouble(o, QStringLiteral("savedAt"), savedAt) || !(std::abs(savedAt) <= kLatestDate)
        || !readOptional(o, QStringLiteral("apps"), apps) || !apps)
        return std::nullopt;
    const auto layout = layoutKindFromName(layoutName);
    if (!layout)
        return std::nullopt;
    w.layout = *layout;
    w.apps = std::move(*apps);
    w.savedAt = Clock::dateFromReference(savedAt);

    const QJsonValue items = o.value(QStringLiteral("items"));
    if (!items.isUndefined() && !items.isNull()) {
        w.items = readList<SavedItem>(items, &SavedItem::fromJson);
        if (!w.items)
            return std::nullopt;
    }
    const QJsonValue automatic = o.value(QStringLiteral("auto"));
    if (automatic.isBool())
        w.automatic = automatic.toBool();
    else if (!automatic.isUndefined() && !automatic.isNull())
        return std::nullopt;
    return w;
}

} // namespace tavrin
