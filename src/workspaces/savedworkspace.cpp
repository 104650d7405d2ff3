#include "workspaces/savedworkspace.h"

#include "platform/clock.h"
#include "platform/platform.h"
#include "workspaces/planaddress.h"
#include "workspaces/windowcontent.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <vector>

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

// An open window as matching sees it: its title as the window gives it and
// the addresses it shows, in restorable form, its front address first, then
// what was read of it (address or folder, tabs). `read`: its integration
// told what it shows (a browser's session file lists it), so `addresses`
// holds every tab it has.
struct OpenWindow {
    QString app;
    QString title;
    QStringList addresses;
    bool read = false;
};

// Whether the application's saved windows come back with their tabs: a
// browser whose session file tells its windows' tabs.
bool keepsTabs(const QString& app)
{
    WindowContent* content = WindowContent::installed();
    return content && content->restoresTabs(app);
}

OpenWindow openWindow(const PlanRequest::Window& window, const SavedItem* shown)
{
    OpenWindow out{
        window.app, shown && shown->title ? *shown->title : window.title, {}, shown && shown->url.has_value()};
    const auto add = [&](const std::optional<QString>& address) {
        if (const auto a = restorableAddress(address); a && !out.addresses.contains(*a))
            out.addresses.append(*a);
    };
    add(window.url);
    if (shown) {
        add(shown->url);
        for (const QString& tab : shown->tabs.value_or(QStringList()))
            add(tab);
    }
    return out;
}

// Whether the window, read whole, lacks a tab of the saved window: a window
// showing part of a saved one is not it (its other tabs would never come
// back).
bool lacksATab(const SavedItem& item, const OpenWindow& window)
{
    if (!window.read)
        return false;
    for (const QString& tab : item.tabs.value_or(QStringList()))
        if (const auto address = restorableAddress(tab); address && !window.addresses.contains(*address))
            return true;
    return false;
}

// How surely the open window (showing `open`) is the saved window `item`;
// 0 when it is not. Where both addresses are known they decide: the same
// front address, the item's address among the window's, the window's front
// one among the item's tabs; the title then prefers one of several windows
// showing the same (terminals in one folder). A window read whole must hold
// every tab of the item. Where either is unknown, only the title (or the
// front tab's, which a browser's title begins with) can tell. An item with
// neither address nor title takes any window left, but for a browser's
// (a private window, never in its session file), which takes none that the
// file lists.
int sameWindow(const SavedItem& item, const OpenWindow& window)
{
    const QStringList& open = window.addresses;
    if (window.app != item.app || lacksATab(item, window))
        return 0;
    const bool titled = item.title && !item.title->isEmpty() && *item.title == window.title;
    const bool tabTitled = item.tabTitle && !item.tabTitle->isEmpty() && window.title.startsWith(*item.tabTitle);
    const int byTitle = titled ? 3 : tabTitled ? 2 : 0;
    const std::optional<QString> address = restorableAddress(item.url);
    if (address && !open.isEmpty()) {
        int byAddress = 0;
        if (open.front() == *address)
            byAddress = 3;
        else if (open.contains(*address))
            byAddress = 2;
        else
            for (const QString& tab : item.tabs.value_or(QStringList()))
                if (restorableAddress(tab) == open.front())
                    byAddress = 1;
        return byAddress > 0 ? 4 * byAddress + byTitle : 0;
    }
    if (byTitle > 0)
        return byTitle;
    const bool tellsNothing = !address && (!item.title || item.title->isEmpty());
    return tellsNothing && !(window.read && keepsTabs(item.app)) ? 1 : 0;
}

} // namespace

WorkspacePlan SavedWorkspace::plan(const QList<PlanRequest::Window>& windows, const QList<SavedItem>& shown) const
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

    std::vector<OpenWindow> open;
    for (qsizetype w = 0; w < windows.size(); ++w)
        open.push_back(openWindow(windows[w], w < shown.size() ? &shown[w] : nullptr));
    // Every pair that may be the same window, surest first (then in item
    // and window order), taken while both are free.
    struct Pair {
        int rank;
        qsizetype item;
        qsizetype window;
    };
    std::vector<Pair> pairs;
    for (qsizetype i = 0; i < wanted.size(); ++i)
        for (qsizetype w = 0; w < windows.size(); ++w)
            if (const int rank = sameWindow(wanted[i], open[std::size_t(w)]); rank > 0)
                pairs.push_back(Pair{rank, i, w});
    std::stable_sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.rank > b.rank; });
    std::vector<int> windowOf(std::size_t(wanted.size()), -1);
    std::vector<bool> used(std::size_t(windows.size()), false);
    for (const Pair& pair : pairs)
        if (windowOf[std::size_t(pair.item)] < 0 && !used[std::size_t(pair.window)]) {
            windowOf[std::size_t(pair.item)] = int(pair.window);
            used[std::size_t(pair.window)] = true;
        }

    for (qsizetype i = 0; i < wanted.size(); ++i) {
        const SavedItem& item = wanted[i];
        WorkspacePlan::Window w;
        w.app = item.app;
        if (windowOf[std::size_t(i)] >= 0) {
            w.existingWindow = windowOf[std::size_t(i)];
        } else if (const std::optional<QString> address = restorableAddress(item.url)) {
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
