#include "snapping/learning/learning.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "snapping/learning/storedvalues.h"

#include <QCoreApplication>
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
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &Learning::save);
}

Learning::~Learning() = default;

Defaults& Learning::defaults() const { return *Platform::current().defaults; }

bool Learning::Order::operator()(const Rule& a, const Rule& b) const
{
    if (a.kept != b.kept)
        return a.kept;
    if (a.share() != b.share())
        return a.share() > b.share();
    if (a.total != b.total)
        return a.total > b.total;
    return a.key() < b.key();
}

const Learning::Rules& Learning::rules() const
{
    if (!rules_)
        rules_ = Rules(ordered_.cbegin(), ordered_.cend());
    return *rules_;
}

int Learning::totalMoves() const { return clampedInt(std::max<qint64>(0, moves_)); }

bool Learning::updateRule(const QString& key)
{
    std::optional<Rule> before;
    if (const auto it = listed_.constFind(key); it != listed_.cend()) {
        before = *it;
        ordered_.erase(*it);
        listed_.erase(it);
    }
    const std::optional<Rule> after = ruleFor(key, counts_.value(key).toMap());
    if (after) {
        ordered_.insert(*after);
        listed_.insert(key, *after);
    }
    if (before == after)
        return false;
    rules_.reset();
    return true;
}

bool Learning::count(const QString& key, const QString& zone, int by)
{
    const auto it = counts_.find(key);
    QVariantMap zones = it == counts_.end() ? QVariantMap() : it->toMap();
    const qint64 now = zones.value(zone).toLongLong() + by;
    if (by < 0 && !zones.contains(zone))
        return false;
    if (now > 0)
        zones.insert(zone, now);
    else
        zones.remove(zone);
    if (zones.isEmpty())
        counts_.remove(key);
    else
        counts_.insert(key, zones);
    return true;
}

void Learning::saveSoon()
{
    unsaved_ = true;
    if (!saveTimer_) {
        saveTimer_ = std::make_unique<Timer>(*Platform::current().clock);
        connect(saveTimer_.get(), &Timer::timeout, this, &Learning::save);
    }
    if (!saveTimer_->isActive())
        saveTimer_->start(kWriteDelay);
}

void Learning::save()
{
    if (saveTimer_)
        saveTimer_->stop();
    if (!unsaved_ || !Platform::isInstalled() || !Platform::current().defaults)
        return;
    unsaved_ = false;
    stored::write(defaults(), kCountsKey, counts_, isCounts);
    stored::write(defaults(), kMovesKey, std::max<qint64>(0, moves_), stored::isInteger);
}

void Learning::announce(bool movesChanged, bool rulesChanged)
{
    if (movesChanged)
        emit totalMovesChanged();
    if (rulesChanged)
        emit this->rulesChanged();
    if (movesChanged || rulesChanged)
        emit changed();
}

void Learning::record(const QString& app, const Display& display, const UnitRect& unit, bool focus)
{
    const QString key = ruleKey(app, display.settingsKey());
    lastRecord_ = Platform::current().clock->monotonic();
    if (forgot_.contains(key))
        return;
    count(key, unit.zoneName(focus), 1);
    ++moves_;
    saveSoon();
    announce(true, updateRule(key));
}

void Learning::unrecord(const QString& app, const Display& display, const UnitRect& unit, bool focus)
{
    const QString key = ruleKey(app, display.settingsKey());
    if (!count(key, unit.zoneName(focus), -1))
        return;
    const bool movesChanged = moves_ > 0;
    moves_ = std::max<qint64>(0, moves_ - 1);
    saveSoon();
    announce(movesChanged, updateRule(key));
}

std::optional<Learning::Rule> Learning::ruleFor(const QString& key, const QVariantMap& zones) const
{
    // Forgotten in an earlier run: gone from the list, its counts kept.
    if (forgot_.contains(key) && !forgottenThisSession_.contains(key))
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
    rule.kept = kept_.contains(key);
    rule.forgotten = forgot_.contains(key);
    rule.zone = rule.kept ? kept_.value(key).toString() : top->first;
    rule.times = clampedInt(zones.contains(rule.zone) ? zones.value(rule.zone).toLongLong() : top->second);
    rule.total = clampedInt(total);
    if (rule.total < kRuleMinimum && !rule.kept)
        return std::nullopt;
    return rule;
}

void Learning::reload()
{
    if (saveTimer_)
        saveTimer_->stop();
    unsaved_ = false;
    const int movesBefore = totalMoves();
    const Rules before = rules();
    kept_ = stored::dictionary(defaults(), kKeptKey, stored::isString);
    forgot_ = toSet(stored::strings(defaults(), kForgotKey));
    moves_ = std::max<qint64>(0, stored::integer(defaults(), kMovesKey).value_or(0));
    counts_ = stored::dictionary(defaults(), kCountsKey, isIntegerDictionary);
    ordered_.clear();
    listed_.clear();
    for (auto it = counts_.cbegin(); it != counts_.cend(); ++it)
        if (auto rule = ruleFor(it.key(), it->toMap())) {
            ordered_.insert(*rule);
            listed_.insert(it.key(), *rule);
        }
    rules_.reset();
    announce(totalMoves() != movesBefore, rules() != before);
}

void Learning::keep(const Rule& rule)
{
    kept_.insert(rule.key(), rule.zone);
    stored::write(defaults(), kKeptKey, kept_, isKept);
    announce(false, updateRule(rule.key()));
}

void Learning::forget(const Rule& rule)
{
    const QString key = rule.key();
    forgottenThisSession_.insert(key);
    kept_.remove(key);
    stored::write(defaults(), kKeptKey, kept_, isKept);
    forgot_.insert(key);
    QStringList forgot = stored::strings(defaults(), kForgotKey);
    if (!forgot.contains(key))
        forgot << key;
    stored::write(defaults(), kForgotKey, toList(forgot), stored::isStringArray);
    announce(false, updateRule(key));
}

void Learning::unforget(const Rule& rule)
{
    const QString key = rule.key();
    kept_.remove(key);
    stored::write(defaults(), kKeptKey, kept_, isKept);
    forgot_.remove(key);
    QStringList forgot = stored::strings(defaults(), kForgotKey);
    forgot.removeAll(key);
    stored::write(defaults(), kForgotKey, toList(forgot), stored::isStringArray);
    forgottenThisSession_.remove(key);
    announce(false, updateRule(key));
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
    for (const Rule& rule : ordered_) {
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
    const QVariantMap& kept = kept_;
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
