#include "snapping/learning/learning.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "snapping/learning/storedvalues.h"

#include <cmath>
#include <limits>

namespace tavrin {

namespace {
bool isIntegerDictionary(const QVariant& v) { return stored::isIntegerDictionary(v); }
bool isCounts(const QVariant& v) { return stored::isDictionaryOf(v, stored::isIntegerDictionary); }
bool isKept(const QVariant& v) { return stored::isDictionaryOf(v, stored::isString); }

QVariantList toList(const QStringList& strings)
{
    QVariantList list;
    list.reserve(strings.size());
    for (const QString& s : strings)
        list << s;
    return list;
}

QSet<QString> toSet(const QStringList& strings) { return QSet<QString>(strings.cbegin(), strings.cend()); }

// The zone counted most; among equal counts the one whose name sorts first
// (a dictionary walks its zones in name order, and only a larger count
// replaces the zone kept).
std::optional<std::pair<QString, qint64>> topZone(const QVariantMap& zones)
{
    std::optional<std::pair<QString, qint64>> top;
    for (auto it = zones.cbegin(); it != zones.cend(); ++it)
        if (!top || it->toLongLong() > top->second)
            top = std::pair(it.key(), it->toLongLong());
    return top;
}

int clampedInt(qint64 v)
{
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
} // namespace

Learning& Learning::shared()
{
    static Learning* learning = new Learning;
    return *learning;
}

Learning::Learning(QObject* parent) : QObject(parent), lastRecord_(-std::numeric_limits<double>::infinity())
{
    reload();
}

Defaults& Learning::defaults() const { return *Platform::current().defaults; }

void Learning::writeMoves(qint64 moves)
{
    stored::write(defaults(), kMovesKey, std::max<qint64>(0, moves), stored::isInteger);
}

void Learning::record(const QString& app, const Display& display, const UnitRect& unit, bool focus)
{
    const QString key = ruleKey(app, display.settingsKey());
    lastRecord_ = Platform::current().clock->monotonic();
    if (stored::strings(defaults(), kForgotKey).contains(key))
        return;
    QVariantMap counts = stored::dictionary(defaults(), kCountsKey, isIntegerDictionary);
    QVariantMap zones = counts.value(key).toMap();
    const QString zone = unit.zoneName(focus);
    zones.insert(zone, zones.value(zone).toLongLong() + 1);
    counts.insert(key, zones);
    stored::write(defaults(), kCountsKey, counts, isCounts);
    writeMoves(stored::integer(defaults(), kMovesKey).value_or(0) + 1);
    reload();
}

void Learning::unrecord(const QString& app, const Display& display, const UnitRect& unit, bool focus)
{
    const QString key = ruleKey(app, display.settingsKey());
    QVariantMap counts = stored::dictionary(defaults(), kCountsKey, isIntegerDictionary);
    if (!counts.contains(key))
        return;
    QVariantMap zones = counts.value(key).toMap();
    const QString zone = unit.zoneName(focus);
    const qint64 count = zones.value(zone).toLongLong();
    if (!zones.contains(zone) || count < 1)
        return;
    if (count == 1)
        zones.remove(zone);
    else
        zones.insert(zone, count - 1);
    if (zones.isEmpty())
        counts.remove(key);
    else
        counts.insert(key, zones);
    stored::write(defaults(), kCountsKey, counts, isCounts);
    writeMoves(stored::integer(defaults(), kMovesKey).value_or(0) - 1);
    reload();
}

std::optional<Learning::Rule> Learning::ruleFor(const QString& key, const QVariantMap& zones, const QVariantMap& kept,
                                                const QSet<QString>& forgot) const
{
    // Forgotten in an earlier run: gone from the list, its counts kept.
    if (forgot.contains(key) && !forgottenThisSession_.contains(key))
        return std::nullopt;
    const int bar = int(key.indexOf(u'|'));
    if (bar <= 0 || bar == key.size() - 1)
        return std::nullopt;
    const auto top = topZone(zones);
    if (!top)
        return std::nullopt;
    Rule rule;
    rule.app = key.left(bar);
    rule.display = key.mid(bar + 1);
    qint64 total = 0;
    for (const QVariant& count : zones)
        total += count.toLongLong();
    rule.kept = kept.contains(key);
    rule.forgotten = forgot.contains(key);
    rule.zone = rule.kept ? kept.value(key).toString() : top->first;
    rule.times = clampedInt(zones.contains(rule.zone) ? zones.value(rule.zone).toLongLong() : top->second);
    rule.total = clampedInt(total);
    if (rule.total < kRuleMinimum && !rule.kept)
        return std::nullopt;
    return rule;
}

void Learning::reload()
{
    const QVariantMap kept = stored::dictionary(defaults(), kKeptKey, stored::isString);
    const QSet<QString> forgot = toSet(stored::strings(defaults(), kForgotKey));
    const int moves = clampedInt(std::max<qint64>(0, stored::integer(defaults(), kMovesKey).value_or(0)));

    Rules rules;
    const QVariantMap counts = stored::dictionary(defaults(), kCountsKey, isIntegerDictionary);
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (auto rule = ruleFor(it.key(), it->toMap(), kept, forgot))
            rules << *rule;
    std::stable_sort(rules.begin(), rules.end(), [](const Rule& a, const Rule& b) {
        if (a.kept != b.kept)
            return a.kept;
        if (a.share() != b.share())
            return a.share() > b.share();
        if (a.total != b.total)
            return a.total > b.total;
        return a.key() < b.key();
    });

    const bool movesChanged = moves != totalMoves_, rulesDiffer = rules != rules_;
    totalMoves_ = moves;
    rules_ = rules;
    if (movesChanged)
        emit totalMovesChanged();
    if (rulesDiffer)
        emit rulesChanged();
    if (movesChanged || rulesDiffer)
        emit changed();
}

void Learning::keep(const Rule& rule)
{
    QVariantMap kept = stored::dictionary(defaults(), kKeptKey, stored::isString);
    kept.insert(rule.key(), rule.zone);
    stored::write(defaults(), kKeptKey, kept, isKept);
    reload();
}

void Learning::forget(const Rule& rule)
{
    const QString key = rule.key();
    forgottenThisSession_.insert(key);
    QVariantMap kept = stored::dictionary(defaults(), kKeptKey, stored::isString);
    kept.remove(key);
    stored::write(defaults(), kKeptKey, kept, isKept);
    QStringList forgot = stored::strings(defaults(), kForgotKey);
    if (!forgot.contains(key))
        forgot << key;
    stored::write(defaults(), kForgotKey, toList(forgot), stored::isStringArray);
    reload();
}

void Learning::unforget(const Rule& rule)
{
    const QString key = rule.key();
    QVariantMap kept = stored::dictionary(defaults(), kKeptKey, stored::isString);
    kept.remove(key);
    stored::write(defaults(), kKeptKey, kept, isKept);
    QStringList forgot = stored::strings(defaults(), kForgotKey);
    forgot.removeAll(key);
    stored::write(defaults(), kForgotKey, toList(forgot), stored::isStringArray);
    forgottenThisSession_.remove(key);
    reload();
}

void Learning::dismiss(const Rule& rule)
{
    QStringList dismissed = stored::strings(defaults(), kDismissedKey);
    dismissed << rule.key();
    stored::write(defaults(), kDismissedKey, toList(dismissed), stored::isStringArray);
    emit changed();
}

void Learning::resetAll()
{
    forgottenThisSession_.clear();
    for (const QString& key : {kCountsKey, kKeptKey, kForgotKey, kMovesKey, kDismissedKey})
        defaults().remove(key);
    reload();
}

std::optional<Learning::Rule> Learning::suggestion() const
{
    const QSet<QString> dismissed = toSet(stored::strings(defaults(), kDismissedKey));
    for (const Rule& rule : rules_) {
        if (rule.kept || rule.forgotten || rule.total < kSuggestionMinimum || rule.share() < kSuggestionShare
            || dismissed.contains(rule.key()))
            continue;
        return rule;
    }
    return std::nullopt;
}

std::vector<std::pair<int, int>> Learning::placements(const QStringList& apps, const std::vector<UnitRect>& zones,
                                                      const Display& display)
{
    std::vector<std::pair<int, int>> result;
    if (apps.isEmpty())
        return result;
    const QVariantMap kept = stored::dictionary(defaults(), kKeptKey, stored::isString);
    std::vector<int> free;
    for (int s = 0; s < int(zones.size()); ++s)
        free.push_back(s);
    std::vector<bool> placed(std::size_t(apps.size()), false);

    for (int a = 0; a < int(apps.size()); ++a) {
        const auto zone = kept.constFind(ruleKey(apps[a], display.settingsKey()));
        if (zone == kept.cend())
            continue;
        const auto slot = std::find_if(free.begin(), free.end(), [&](int s) {
            return zones[std::size_t(s)].zoneName(s == 0) == zone->toString();
        });
        if (slot == free.end())
            continue;
        result.emplace_back(a, *slot);
        placed[std::size_t(a)] = true;
        free.erase(slot);
    }
    for (int a = 0; a < int(apps.size()); ++a) {
        if (placed[std::size_t(a)])
            continue;
        if (free.empty())
            break;
        result.emplace_back(a, free.front());
        free.erase(free.begin());
    }
    return result;
}

QString Learning::sentence(const QString& zone)
{
    if (zone == QLatin1String("Edge strip"))
        return tr("in the edge strip");
    if (zone == QLatin1String("Focus, full"))
        return tr("full screen");
    if (zone.startsWith(QLatin1String("Focus, ")))
        return tr("in the main spot, ") + zone.mid(7);
    return tr("on the ") + zone.left(1).toLower() + zone.mid(1);
}

} // namespace tavrin
