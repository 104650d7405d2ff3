#include "snapping/learning/learning.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "snapping/learning/storedvalues.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace tavrin {

namespace {
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

// The stored counts with the changes made since: a copy of the whole table,
// made away from the main thread.
QVariantMap merged(QVariantMap counts, const QHash<QString, QVariantMap>& changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        if (it->isEmpty())
            counts.remove(it.key());
        else
            counts.insert(it.key(), *it);
    return counts;
}
} // namespace

// One write put together in the background: the counts as stored when it
// started, the changes it takes in, and the result.
struct Learning::Write {
    QVariantMap base;
    Changes changes;
    std::uint64_t generation = 0;
    QVariantMap counts;
};

Learning::Learning(Defaults& defaults, Clock& clock, QObject* parent)
    : QObject(parent),
      lastRecord_(-std::numeric_limits<double>::infinity()),
      defaults_(defaults),
      clock_(clock)
{
    loadInBackground();
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &Learning::save);
}

Learning::~Learning() = default;

bool Learning::Order::before(const Rule& a, const Rule& b)
{
    if (a.kept != b.kept)
        return a.kept;
    const double shareA = a.share(), shareB = b.share();
    if (shareA != shareB)
        return shareA > shareB;
    return a.total > b.total;
}

bool Learning::Order::operator()(const Entry& a, const Entry& b) const
{
    if (before(a.rule, b.rule))
        return true;
    if (before(b.rule, a.rule))
        return false;
    return a.key < b.key;
}

const Learning::Rules& Learning::rules() const
{
    if (!rules_) {
        Rules rules;
        rules.reserve(qsizetype(ordered_.size()));
        for (const Entry& entry : ordered_)
            rules.append(entry.rule);
        rules_ = std::move(rules);
    }
    return *rules_;
}

int Learning::totalMoves() const { return clampedInt(std::max<qint64>(0, moves_)); }

QVariantMap Learning::zonesOf(const QString& key) const
{
    if (const auto it = changes_.constFind(key); it != changes_.cend())
        return *it;
    return stored_.value(key).toMap();
}

std::optional<Learning::Rule> Learning::listedRule(const QString& key) const
{
    return ruleFor(key, zonesOf(key), marks_);
}

bool Learning::relist(const QString& key, const std::optional<Rule>& before)
{
    if (loading_)
        touched_.insert(key);
    const std::optional<Rule> after = listedRule(key);
    if (before == after)
        return false;
    // The entry is found by what it is ordered by, as it was listed.
    if (before)
        ordered_.erase(Entry{*before, key});
    if (after)
        ordered_.insert(Entry{*after, key});
    rules_.reset();
    return true;
}

bool Learning::count(const QString& key, const QString& zone, int by)
{
    QVariantMap zones = zonesOf(key);
    const qint64 now = zones.value(zone).toLongLong() + by;
    if (by < 0 && !zones.contains(zone))
        return false;
    if (now > 0)
        zones.insert(zone, now);
    else
        zones.remove(zone);
    changes_.insert(key, zones);
    return true;
}

void Learning::saveSoon()
{
    movesUnsaved_ = true;
    if (!saveTimer_) {
        saveTimer_ = std::make_unique<Timer>(clock_);
        connect(saveTimer_.get(), &Timer::timeout, this, &Learning::writeInBackground);
    }
    if (!saveTimer_->isActive())
        saveTimer_->start(kWriteDelay);
}

void Learning::writeInBackground()
{
    if (loading_) {
        saveTimer_->start(kWriteDelay); // after the load has looked at what is stored
        return;
    }
    // One at a time: the next starts from what this one stores.
    if (writing_ || (!movesUnsaved_ && changes_.isEmpty()) || !Platform::isInstalled())
        return;
    writing_ = true;
    auto write = std::make_shared<Write>(Write{stored_, changes_, generation_, {}});
    clock_.runInBackground([write] { write->counts = merged(write->base, write->changes); }, this,
                           [this, write] { finishWrite(*write); });
}

void Learning::finishWrite(const Write& write)
{
    if (write.generation != generation_)
        return; // reloaded or saved meanwhile: the write is stale
    writing_ = false;
    // What changed again since the write started stays to be written.
    for (auto it = write.changes.cbegin(); it != write.changes.cend(); ++it)
        if (const auto now = changes_.constFind(it.key()); now != changes_.cend() && *now == *it)
            changes_.erase(now);
    store(write.counts);
    if (!changes_.isEmpty())
        saveSoon();
}

void Learning::save()
{
    if (saveTimer_)
        saveTimer_->stop();
    if (!movesUnsaved_ && changes_.isEmpty())
        return;
    ++generation_; // a write (or a load) under way is overtaken by this one
    writing_ = false;
    if (std::exchange(loading_, false) && !isCounts(stored_)) {
        stored_.clear();
        storedReadable_ = false;
    }
    const QVariantMap counts = changes_.isEmpty() ? stored_ : merged(stored_, changes_);
    changes_.clear();
    store(counts);
}

void Learning::store(const QVariantMap& counts)
{
    movesUnsaved_ = false;
    if (!Platform::isInstalled())
        return;
    const bool changed = !counts.isSharedWith(stored_) || !storedReadable_;
    QVariantMap old = std::exchange(stored_, counts);
    // A value known to be readable need not be looked at again before it
    // is replaced: on a large table that look costs as much as the write.
    if (changed && storedReadable_)
        defaults().setValue(kCountsKey, counts);
    else if (changed)
        stored::write(defaults(), kCountsKey, counts, isCounts);
    storedReadable_ = true;
    stored::write(defaults(), kMovesKey, std::max<qint64>(0, moves_), stored::isInteger);
    // The table written over is let go away from the main thread too:
    // freeing a large one costs as much as putting it together.
    clock_.runInBackground([old = std::move(old)]() mutable { old = QVariantMap(); }, nullptr, {});
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
    lastRecord_ = clock_.monotonic();
    if (marks_.forgot.contains(key))
        return;
    const std::optional<Rule> before = listedRule(key);
    count(key, unit.zoneName(focus), 1);
    ++moves_;
    saveSoon();
    announce(true, relist(key, before));
}

void Learning::unrecord(const QString& app, const Display& display, const UnitRect& unit, bool focus)
{
    const QString key = ruleKey(app, display.settingsKey());
    const std::optional<Rule> before = listedRule(key);
    if (!count(key, unit.zoneName(focus), -1))
        return;
    const bool movesChanged = moves_ > 0;
    moves_ = std::max<qint64>(0, moves_ - 1);
    saveSoon();
    announce(movesChanged, relist(key, before));
}

std::optional<Learning::Rule> Learning::ruleFor(const QString& key, const QVariantMap& zones, const Marks& marks)
{
    // Forgotten in an earlier run: gone from the list, its counts kept.
    if (marks.forgot.contains(key) && !marks.forgottenThisSession.contains(key))
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
    rule.kept = marks.kept.contains(key);
    rule.forgotten = marks.forgot.contains(key);
    rule.zone = rule.kept ? marks.kept.value(key).toString() : top->first;
    rule.times = clampedInt(zones.contains(rule.zone) ? zones.value(rule.zone).toLongLong() : top->second);
    rule.total = clampedInt(total);
    if (rule.total < kRuleMinimum && !rule.kept)
        return std::nullopt;
    return rule;
}

Learning::Load Learning::Load::of(const QVariant& counts, const Marks& marks)
{
    Load load;
    load.readable = !counts.isValid() || isCounts(counts);
    if (!load.readable)
        return load;
    // The rules made in one pass, in the order of their keys, and sorted
    // once by what comes before the key (rules equal in it keep the order of
    // their keys); the set then takes them in order, each placed at its end.
    const QVariantMap stored = counts.toMap();
    std::vector<Entry> entries;
    entries.reserve(std::size_t(stored.size()));
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        if (std::optional<Rule> rule = ruleFor(it.key(), it->toMap(), marks))
            entries.push_back(Entry{std::move(*rule), it.key()});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return Order::before(a.rule, b.rule); });
    for (Entry& entry : entries)
        load.ordered.emplace_hint(load.ordered.cend(), std::move(entry));
    return load;
}

QVariant Learning::readStored()
{
    if (saveTimer_)
        saveTimer_->stop();
    ++generation_;
    writing_ = false;
    loading_ = false;
    changes_.clear();
    touched_.clear();
    movesUnsaved_ = false;
    marks_.kept = stored::dictionary(defaults(), kKeptKey, stored::isString);
    marks_.forgot = toSet(stored::strings(defaults(), kForgotKey));
    moves_ = std::max<qint64>(0, stored::integer(defaults(), kMovesKey).value_or(0));
    QVariant counts = defaults().value(kCountsKey).value_or(QVariant());
    // A dictionary is taken as readable until the load has looked into it
    // (a write meanwhile looks first).
    const bool dictionary = counts.typeId() == QMetaType::QVariantMap;
    stored_ = dictionary ? counts.toMap() : QVariantMap();
    storedReadable_ = dictionary || !counts.isValid();
    return counts;
}

void Learning::reload()
{
    const int movesBefore = totalMoves();
    const QVariant counts = readStored();
    Load load = Load::of(counts, marks_);
    const bool movesChanged = totalMoves() != movesBefore;
    announce(movesChanged, take(std::move(load)));
}

void Learning::loadInBackground()
{
    const QVariant counts = readStored();
    loading_ = true;
    auto load = std::make_shared<Load>();
    clock_.runInBackground([load, counts, marks = marks_] { *load = Load::of(counts, marks); }, this,
                           [this, load, generation = generation_, marks = marks_] {
                               if (generation != generation_)
                                   return; // read again meanwhile
                               loading_ = false;
                               // What changed meanwhile is listed as it is now: the rules
                               // listed since take the place of those loaded.
                               for (const QString& key : std::as_const(touched_))
                                   if (const std::optional<Rule> loaded =
                                           ruleFor(key, stored_.value(key).toMap(), marks))
                                       load->ordered.erase(Entry{*loaded, key});
                               load->ordered.merge(ordered_);
                               touched_.clear();
                               announce(false, take(std::move(*load)));
                           });
}

bool Learning::take(Load load)
{
    if (!load.readable) {
        stored_.clear();
        storedReadable_ = false;
    }
    const bool rulesChanged =
        !std::equal(load.ordered.cbegin(), load.ordered.cend(), ordered_.cbegin(), ordered_.cend(),
                    [](const Entry& a, const Entry& b) { return a.rule == b.rule; });
    ordered_ = std::move(load.ordered);
    rules_.reset();
    return rulesChanged;
}

void Learning::keep(const Rule& rule)
{
    const QString key = rule.key();
    const std::optional<Rule> before = listedRule(key);
    marks_.kept.insert(key, rule.zone);
    stored::write(defaults(), kKeptKey, marks_.kept, isKept);
    announce(false, relist(key, before));
}

void Learning::forget(const Rule& rule)
{
    const QString key = rule.key();
    const std::optional<Rule> before = listedRule(key);
    marks_.forgottenThisSession.insert(key);
    marks_.kept.remove(key);
    stored::write(defaults(), kKeptKey, marks_.kept, isKept);
    marks_.forgot.insert(key);
    QStringList forgot = stored::strings(defaults(), kForgotKey);
    if (!forgot.contains(key))
        forgot << key;
    stored::write(defaults(), kForgotKey, toList(forgot), stored::isStringArray);
    announce(false, relist(key, before));
}

void Learning::unforget(const Rule& rule)
{
    const QString key = rule.key();
    const std::optional<Rule> before = listedRule(key);
    marks_.kept.remove(key);
    stored::write(defaults(), kKeptKey, marks_.kept, isKept);
    marks_.forgot.remove(key);
    QStringList forgot = stored::strings(defaults(), kForgotKey);
    forgot.removeAll(key);
    stored::write(defaults(), kForgotKey, toList(forgot), stored::isStringArray);
    marks_.forgottenThisSession.remove(key);
    announce(false, relist(key, before));
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
    marks_.forgottenThisSession.clear();
    for (const QString& key : {kCountsKey, kKeptKey, kForgotKey, kMovesKey, kDismissedKey})
        defaults().remove(key);
    reload();
}

std::optional<Learning::Rule> Learning::suggestion() const
{
    const QSet<QString> dismissed = toSet(stored::strings(defaults(), kDismissedKey));
    for (const Entry& entry : ordered_) {
        const Rule& rule = entry.rule;
        if (rule.kept || rule.forgotten || rule.total < kSuggestionMinimum || rule.share() < kSuggestionShare
            || dismissed.contains(entry.key))
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
    const QVariantMap& kept = marks_.kept;
    std::vector<int> free;
    free.reserve(std::size_t(zones.size()));
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
