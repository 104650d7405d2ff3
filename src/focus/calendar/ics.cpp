#include "focus/calendar/ics.h"

#include "focus/calendar/icsblock.h"
#include "focus/calendar/wallclock.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <string>

namespace tavrin {

namespace {
constexpr double kDefaultDuration = 3600.0;
// A longer DURATION is taken as this: a year is longer than any real event,
// and an event must not count as lasting for ever.
constexpr double kMaxDuration = 365 * 86400.0;
// A number in a DURATION with more digits than this is unreadable.
constexpr int kMaxDurationDigits = 15;

using Name = ICSBlock::Name;

// A date or date-time value as written.
struct Stamp {
    QDate date;
    int secondOfDay = 0;
    bool hasTime = false;
    bool utc = false;
};

std::string_view viewOf(const QByteArray& bytes) { return {bytes.constData(), std::size_t(bytes.size())}; }

QString decoded(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

std::optional<int> digits(std::string_view text, std::size_t from, std::size_t count)
{
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// yyyyMMdd, yyyyMMdd'T'HHmmss or yyyyMMdd'T'HHmmss'Z', matched whole.
std::optional<Stamp> readStamp(std::string_view value)
{
    Stamp stamp;
    stamp.utc = value.ends_with('Z');
    if (stamp.utc)
        value.remove_suffix(1);
    stamp.hasTime = stamp.utc || value.find('T') != std::string_view::npos;
    if (value.size() != (stamp.hasTime ? 15u : 8u))
        return std::nullopt;
    const auto year = digits(value, 0, 4), month = digits(value, 4, 2), day = digits(value, 6, 2);
    if (!year || !month || !day || *year < 1)
        return std::nullopt;
    stamp.date = QDate(*year, *month, *day);
    if (!stamp.date.isValid())
        return std::nullopt;
    if (stamp.hasTime) {
        if (value[8] != 'T')
            return std::nullopt;
        const auto hour = digits(value, 9, 2), minute = digits(value, 11, 2), second = digits(value, 13, 2);
        if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
            return std::nullopt;
        stamp.secondOfDay = *hour * 3600 + *minute * 60 + *second;
    }
    return stamp;
}

// A decimal integer with an optional sign, within 64 bits.
std::optional<qint64> integerOf(std::string_view text)
{
    bool negative = false;
    if (text.starts_with('+') || text.starts_with('-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    constexpr quint64 kLimit = quint64(std::numeric_limits<qint64>::max()) + 1;
    quint64 magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + quint64(c - '0');
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (negative)
        return qint64(0 - magnitude); // two's complement: 2^63 becomes the minimum
    if (magnitude == kLimit)
        return std::nullopt;
    return qint64(magnitude);
}

// The integers of a comma-separated list; unreadable items are skipped.
QList<qint64> integersOf(std::string_view list)
{
    QList<qint64> values;
    for (std::size_t from = 0; from < list.size();) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        if (const auto n = integerOf(list.substr(from, comma - from)))
            values.append(*n);
        from = comma + 1;
    }
    return values;
}

// Seconds of a DURATION value; 3600 when it comes to nothing.
double durationOf(std::string_view value)
{
    double sum = 0;
    qint64 number = 0;
    int count = 0;
    for (const char c : value) {
        if (c >= '0' && c <= '9') {
            if (++count > kMaxDurationDigits)
                return kDefaultDuration;
            number = number * 10 + (c - '0');
            continue;
        }
        switch (c) {
        case 'W': sum += double(number) * 604800; break;
        case 'D': sum += double(number) * 86400; break;
        case 'H': sum += double(number) * 3600; break;
        case 'M': sum += double(number) * 60; break;
        case 'S': sum += double(number); break;
        default: break;
        }
        number = 0;
        count = 0;
    }
    if (!(sum > 0))
        return kDefaultDuration;
    return std::min(sum, kMaxDuration);
}

// BYDAY codes, 1 Sunday ... 7 Saturday.
constexpr std::string_view kWeekdayCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

std::optional<int> weekdayOf(std::string_view code)
{
    for (std::size_t i = 0; i < std::size(kWeekdayCodes); ++i)
        if (code == kWeekdayCodes[i])
            return int(i) + 1;
    return std::nullopt;
}

// Where `needle` first occurs outside double quotes; npos when it does not.
std::size_t indexOutsideQuotes(std::string_view text, std::string_view needle)
{
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && text.substr(i).starts_with(needle))
            return i;
    }
    return std::string_view::npos;
}

// Something the zone database could hold: letters, digits and _+-.:/ in
// non-empty segments that do not climb out of it.
bool plausibleZoneId(std::string_view id)
{
    if (id.empty() || id.size() > 64)
        return false;
    for (const char c : id) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                             || c == '+' || c == '-' || c == '.' || c == ':' || c == '/';
        if (!allowed)
            return false;
    }
    for (std::size_t from = 0;;) {
        const std::size_t slash = id.find('/', from);
        const std::string_view segment = id.substr(from, slash - from);
        if (segment.empty() || segment == "." || segment == "..")
            return false;
        if (slash == std::string_view::npos)
            return true;
        from = slash + 1;
    }
}

std::optional<QTimeZone> knownZone(std::string_view id)
{
    const QByteArray bytes(id.data(), qsizetype(id.size()));
    if (plausibleZoneId(id)) {
        QTimeZone zone(bytes);
        if (zone.isValid())
            return zone;
    }
    if (const auto row = ICS::windowsZones().constFind(QString::fromUtf8(bytes)); row != ICS::windowsZones().cend()) {
        QTimeZone zone(*row);
        if (zone.isValid())
            return zone;
    }
    const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(bytes);
    if (!iana.isEmpty()) {
        QTimeZone zone(iana);
        if (zone.isValid())
            return zone;
    }
    return std::nullopt;
}

std::string_view stripQuotes(std::string_view text)
{
    while (text.starts_with('"'))
        text.remove_prefix(1);
    while (text.ends_with('"'))
        text.remove_suffix(1);
    return text;
}

// DTSTART's written time of day when the clocks of its zone skipped it
// (`start` being where it resolved to); none for a time that exists.
std::optional<int> skippedTimeOfDay(std::string_view value, const WallClock& clock, double start)
{
    const std::optional<Stamp> stamp = readStamp(value);
    if (!stamp || stamp->utc)
        return std::nullopt;
    const std::optional<WallClock::Local> shown = clock.local(start);
    if (!shown || (shown->date == stamp->date && shown->secondOfDay == stamp->secondOfDay))
        return std::nullopt;
    return stamp->secondOfDay;
}

// Three left-to-right scans run as one, in the order of a pipeline: line
// ends to LF, then LF space removed, then LF tab removed. Each holds back a
// character until it sees the next. Writes into a buffer with room for every
// byte put in.
class Unfolding {
public:
    explicit Unfolding(char* out) : o_(out) {}

    // Nothing held back: a run without line ends may go straight out.
    bool idle() const { return !heldReturn_ && !heldBreak_ && !heldBreakBeforeTab_; }
    // Only while idle, and only bytes that are no line end.
    void copy(const char* from, qsizetype count)
    {
        std::memcpy(o_ + n_, from, std::size_t(count));
        n_ += count;
    }
    // A CR ends a line on its own, or with the LF after it.
    void put(char c)
    {
        if (heldReturn_) {
            heldReturn_ = false;
            second('\n');
            if (c == '\n')
                return;
        }
        if (c == '\r')
            heldReturn_ = true;
        else
            second(c);
    }
    // The text ended: what is held back goes out. The bytes written.
    qsizetype finish()
    {
        if (heldReturn_) {
            heldReturn_ = false;
            second('\n');
        }
        if (heldBreak_) {
            heldBreak_ = false;
            third('\n');
        }
        if (heldBreakBeforeTab_)
            o_[n_++] = '\n';
        return n_;
    }

private:
    void second(char c)
    {
        if (heldBreak_) {
            heldBreak_ = false;
            if (c == ' ')
                return;
            third('\n');
        }
        if (c == '\n')
            heldBreak_ = true;
        else
            third(c);
    }
    void third(char c)
    {
        if (heldBreakBeforeTab_) {
            heldBreakBeforeTab_ = false;
            if (c == '\t')
                return;
            o_[n_++] = '\n';
        }
        if (c == '\n')
            heldBreakBeforeTab_ = true;
        else
            o_[n_++] = c;
    }

    char* o_;
    qsizetype n_ = 0;
    bool heldReturn_ = false, heldBreak_ = false, heldBreakBeforeTab_ = false;
};

// The text with every line end (CRLF, a bare LF or a bare CR) made LF and
// folded lines joined: a line end followed by a space or a tab continues the
// line before it. One pass that does what three replacements in turn would
// do (see Unfolding): feeds are read by the megabyte, and most characters
// are none of these. Runs between line ends are found with memchr, each
// byte looked at once whatever the form of the line ends. Bytes of UTF-8
// text stand for themselves: no byte of a longer character is a line end,
// space or tab. None once `stop` is set.
std::optional<QByteArray> unfoldedLines(QByteArrayView text, const std::atomic<bool>& stop)
{
    if (text.isEmpty())
        return QByteArray();
    QByteArray out(text.size(), Qt::Uninitialized);
    Unfolding unfolding(out.data());
    const char* in = text.data();
    const char* const end = in + text.size();
    // The next LF and the next CR at or after `in` (or `end`), each searched
    // for again only once `in` has passed it.
    const auto next = [end](const char* from, char c) {
        const auto* found = static_cast<const char*>(std::memchr(from, c, std::size_t(end - from)));
        return found ? found : end;
    };
    const char* feed = next(in, '\n');
    const char* ret = next(in, '\r');
    while (in < end) {
        if (stop.load(std::memory_order_relaxed))
            return std::nullopt;
        // Runs without a line end go straight through: spaces and tabs
        // matter only after a held one.
        if (unfolding.idle()) {
            if (feed < in)
                feed = next(in, '\n');
            if (ret < in)
                ret = next(in, '\r');
            const char* runEnd = std::min(feed, ret);
            unfolding.copy(in, runEnd - in);
            in = runEnd;
            if (in == end)
                break;
        }
        unfolding.put(*in++);
    }
    out.truncate(unfolding.finish());
    return out;
}

// The parts of an RRULE the reader uses, as written: the first of each,
// among the parts that are one name, "=" and one value.
struct RuleParts {
    static constexpr std::string_view kNames[] = {"FREQ",  "INTERVAL",   "COUNT",   "UNTIL",
                                                  "BYDAY", "BYMONTHDAY", "BYMONTH", "BYSETPOS"};
    enum Part { freq, interval, count, until, byDay, byMonthDay, byMonth, bySetPos };
    std::array<std::optional<std::string_view>, std::size(kNames)> parts;

    explicit RuleParts(std::string_view rule)
    {
        for (std::size_t from = 0;;) {
            const std::size_t semicolon = rule.find(';', from);
            keep(rule.substr(from, semicolon - from));
            if (semicolon == std::string_view::npos)
                break;
            from = semicolon + 1;
        }
    }
    std::string_view operator[](Part part) const { return parts[part].value_or(std::string_view()); }

private:
    void keep(std::string_view piece)
    {
        const std::size_t equals = piece.find('=');
        if (equals == std::string_view::npos || piece.find('=', equals + 1) != std::string_view::npos)
            return;
        const std::string_view name = piece.substr(0, equals);
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            if (name == kNames[i] && !parts[i])
                parts[i] = piece.substr(equals + 1);
    }
};

// The BYDAY entries of a rule, unreadable ones skipped.
QList<ICSEvent::Weekday> weekdaysOf(std::string_view list)
{
    QList<ICSEvent::Weekday> days;
    for (std::size_t from = 0;;) {
        const std::size_t comma = list.find(',', from);
        const std::string_view piece = list.substr(from, comma - from);
        if (piece.size() >= 2)
            if (const std::optional<int> weekday = weekdayOf(piece.substr(piece.size() - 2))) {
                const std::string_view ordinal = piece.substr(0, piece.size() - 2);
                days.append({ordinal.empty() ? 0 : integerOf(ordinal).value_or(0), *weekday});
            }
        if (comma == std::string_view::npos)
            return days;
        from = comma + 1;
    }
}

// The frequency as written; the usual ones share one string each.
QString frequencyOf(std::string_view freq)
{
    static const QString kUsual[] = {QStringLiteral("DAILY"), QStringLiteral("WEEKLY"), QStringLiteral("MONTHLY"),
                                     QStringLiteral("YEARLY")};
    for (const QString& usual : kUsual)
        if (QLatin1String(freq.data(), qsizetype(freq.size())) == usual)
            return usual;
    return decoded(freq);
}

// A SUMMARY value as shown: escaped commas and semicolons as themselves,
// escaped line breaks as spaces; other backslashes stay.
QString titleOf(std::string_view summary)
{
    if (summary.find('\\') == std::string_view::npos)
        return decoded(summary);
    std::string shown;
    shown.reserve(summary.size());
    for (std::size_t i = 0; i < summary.size(); ++i) {
        const char next = i + 1 < summary.size() ? summary[i + 1] : '\0';
        if (summary[i] == '\\' && (next == ',' || next == ';' || next == 'n')) {
            shown += next == 'n' ? ' ' : next;
            ++i;
        } else {
            shown += summary[i];
        }
    }
    return decoded(shown);
}
} // namespace

class ICS::Context {
public:
    explicit Context(const QTimeZone& localZone) : local(localZone.isValid() ? localZone : QTimeZone::utc()) {}

    // The resolver of the zone that a parameter text names, else the local one.
    const WallClock& clockFor(std::string_view params)
    {
        if (params.empty())
            return local;
        // Most events of a feed name the zone the one before named.
        if (lastClock && params == lastParams)
            return *lastClock;
        auto found = clocks.find(params);
        if (found == clocks.end()) {
            const std::optional<QTimeZone> zone = tzidZone(params);
            found = clocks.emplace(std::string(params), zone ? std::make_unique<WallClock>(*zone) : nullptr).first;
        }
        lastParams = found->first;
        lastClock = found->second ? found->second.get() : &local;
        return *lastClock;
    }

    const WallClock local;
    const WallClock utc{QTimeZone::utc()};

private:
    std::map<std::string, std::unique_ptr<WallClock>, std::less<>> clocks;
    std::string_view lastParams; // a key of `clocks`
    const WallClock* lastClock = nullptr;
};

QTimeZone ICS::systemZone()
{
    QTimeZone zone = QTimeZone::systemTimeZone();
    return zone.isValid() ? zone : QTimeZone::utc();
}

const QHash<QString, QByteArray>& ICS::windowsZones()
{
    static const QHash<QString, QByteArray> zones{
        {QStringLiteral("GMT Standard Time"), "Europe/London"},
        {QStringLiteral("W. Europe Standard Time"), "Europe/Berlin"},
        {QStringLiteral("Romance Standard Time"), "Europe/Paris"},
        {QStringLiteral("Central Europe Standard Time"), "Europe/Budapest"},
        {QStringLiteral("Eastern Standard Time"), "America/New_York"},
        {QStringLiteral("Central Standard Time"), "America/Chicago"},
        {QStringLiteral("Mountain Standard Time"), "America/Denver"},
        {QStringLiteral("Pacific Standard Time"), "America/Los_Angeles"},
        {QStringLiteral("India Standard Time"), "Asia/Kolkata"},
        {QStringLiteral("AUS Eastern Standard Time"), "Australia/Sydney"},
        {QStringLiteral("Tokyo Standard Time"), "Asia/Tokyo"},
        {QStringLiteral("China Standard Time"), "Asia/Shanghai"},
        {QStringLiteral("Singapore Standard Time"), "Asia/Singapore"},
        {QStringLiteral("UTC"), "UTC"},
    };
    return zones;
}

const QString& ICS::cancellationMarker()
{
    static const QString marker = QChar(u'\0') + QStringLiteral("cancelled");
    return marker;
}

std::optional<qint64> ICS::parseInteger(QStringView text) { return integerOf(viewOf(text.toUtf8())); }

double ICS::parseDuration(QStringView value) { return durationOf(viewOf(value.toUtf8())); }

std::optional<QTimeZone> ICS::tzidZone(std::string_view params)
{
    const std::size_t at = indexOutsideQuotes(params, "TZID=");
    if (at == std::string_view::npos)
        return std::nullopt;
    // A quoted name runs to its closing quote; any other to the next ";".
    std::string_view id = params.substr(at + 5);
    const std::size_t close = id.starts_with('"') ? id.find('"', 1) : std::string_view::npos;
    const std::size_t end = close != std::string_view::npos ? close + 1 : id.find(';');
    return knownZone(stripQuotes(id.substr(0, end)));
}

std::optional<double> ICS::parseDate(QStringView value, QStringView params, const QTimeZone& localZone)
{
    Context context(localZone);
    return parseDate(viewOf(value.toUtf8()), viewOf(params.toUtf8()), context);
}

std::optional<double> ICS::parseDate(std::string_view value, std::string_view params, Context& context)
{
    const std::optional<Stamp> stamp = readStamp(value);
    if (!stamp)
        return std::nullopt;
    const WallClock& clock = stamp->utc ? context.utc : context.clockFor(params);
    return clock.instant(stamp->date, stamp->secondOfDay);
}

void ICS::readRule(ICSEvent& event, std::string_view rrule, Context& context)
{
    const RuleParts rule(rrule);
    if (rule.parts[RuleParts::freq])
        event.freq = frequencyOf(rule[RuleParts::freq]);
    event.interval = rule.parts[RuleParts::interval] ? integerOf(rule[RuleParts::interval]).value_or(1) : 1;
    event.count = integerOf(rule[RuleParts::count]);

    // UNTIL is read in the local zone. A date without a time means the whole
    // of that day, as the calendar that wrote it shows it.
    if (const auto stamp = readStamp(rule[RuleParts::until])) {
        if (stamp->utc) {
            event.until = context.utc.instant(stamp->date, stamp->secondOfDay);
        } else if (stamp->hasTime) {
            event.until = context.local.instant(stamp->date, stamp->secondOfDay);
        } else if (const auto nextDay = context.local.instant(stamp->date.addDays(1), 0)) {
            event.until = *nextDay - 1;
        } else {
            event.until = context.local.instant(stamp->date, 86399);
        }
    }

    event.byDay = weekdaysOf(rule[RuleParts::byDay]);
    event.byMonthDay = integersOf(rule[RuleParts::byMonthDay]);
    event.byMonth = integersOf(rule[RuleParts::byMonth]);
    event.bySetPos = integersOf(rule[RuleParts::bySetPos]);
}

std::optional<ICSEvent> ICS::makeEvent(const Properties& properties, const QList<Property>& exdates,
                                       const QTimeZone& localZone)
{
    // The block holds views of UTF-8 text: these hold the text.
    QList<QByteArray> texts;
    const auto utf8 = [&texts](const QString& text) { return viewOf(texts.emplaceBack(text.toUtf8())); };
    ICSBlock block;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        if (const std::optional<Name> name = ICSBlock::nameOf(viewOf(it.key().toUtf8())))
            block.set(*name, {utf8(it->params), utf8(it->value)});
    for (const Property& ex : exdates)
        block.addExdate({utf8(ex.params), utf8(ex.value)});
    Context context(localZone);
    return makeEvent(block, context);
}

std::optional<ICSEvent> ICS::makeEvent(const ICSBlock& block, Context& context)
{
    const ICSBlock::Property* dtstart = block.find(Name::dtstart);
    if (!dtstart)
        return std::nullopt;
    const std::string_view startParams = dtstart->params;
    if (startParams.find("VALUE=DATE") != std::string_view::npos
        && startParams.find("VALUE=DATE-TIME") == std::string_view::npos)
        return std::nullopt; // all-day
    if (dtstart->value.size() < 9)
        return std::nullopt; // a bare date: all-day
    const std::optional<double> start = parseDate(dtstart->value, startParams, context);
    if (!start)
        return std::nullopt;

    ICSEvent event;
    event.start = *start;
    if (const ICSBlock::Property* rid = block.find(Name::recurrenceId))
        event.recurrenceID = parseDate(rid->value, rid->params, context);
    event.uid = decoded(block.value(Name::uid));

    if (block.value(Name::status) == "CANCELLED") {
        if (!event.recurrenceID)
            return std::nullopt;
        event.title = cancellationMarker();
        event.duration = 0;
        event.zone = context.local.zone();
        return event;
    }
    readTimes(event, block, context);
    event.title = titleOf(block.value(Name::summary));

    // An override replaces one occurrence and never repeats itself.
    if (!event.recurrenceID)
        if (const ICSBlock::Property* rrule = block.find(Name::rrule))
            readRule(event, rrule->value, context);

    for (const ICSBlock::Property& ex : block.exdates())
        if (const auto instant = parseDate(ex.value, ex.params, context))
            event.exdates.append(*instant);
    return event;
}

void ICS::readTimes(ICSEvent& event, const ICSBlock& block, Context& context)
{
    std::optional<double> end;
    if (const ICSBlock::Property* dtend = block.find(Name::dtend))
        end = parseDate(dtend->value, dtend->params, context);
    if (end)
        event.duration = *end - event.start;
    else if (const ICSBlock::Property* duration = block.find(Name::duration))
        event.duration = durationOf(duration->value);

    const ICSBlock::Property& dtstart = *block.find(Name::dtstart);
    const WallClock& clock = context.clockFor(dtstart.params);
    event.zone = dtstart.value.ends_with('Z') ? context.utc.zone() : clock.zone();
    event.writtenTimeOfDay = skippedTimeOfDay(dtstart.value, clock, event.start);
}

void ICS::joinOverrides(QList<ICSEvent>& events)
{
    // The overridden starts of each series, gathered once by UID and shared
    // by every master of that UID. Events without a UID share the empty one:
    // a feed that gives none still moves and cancels its occurrences.
    QHash<QString, QList<double>> overridden;
    for (const ICSEvent& e : std::as_const(events))
        if (e.recurrenceID)
            overridden[e.uid].append(*e.recurrenceID);
    for (QList<double>& starts : overridden)
        std::sort(starts.begin(), starts.end());
    if (!overridden.isEmpty())
        for (ICSEvent& e : events)
            if (e.freq && !e.recurrenceID)
                e.overridden = overridden.value(e.uid);
    events.removeIf([](const ICSEvent& e) { return e.recurrenceID && e.title == cancellationMarker(); });
}

QList<ICSEvent> ICS::parse(const QString& text, const QTimeZone& localZone)
{
    const std::atomic<bool> never{false};
    return *parse(text, localZone, never);
}

std::optional<QList<ICSEvent>> ICS::parse(const QString& text, const QTimeZone& localZone,
                                          const std::atomic<bool>& stop)
{
    const std::optional<QByteArray> unfolded = unfoldedLines(text.toUtf8(), stop);
    if (!unfolded)
        return std::nullopt;
    return read(*unfolded, localZone, stop);
}

std::optional<QList<ICSEvent>> ICS::parseFeed(QByteArrayView bytes, const QTimeZone& localZone,
                                              const std::atomic<bool>& stop)
{
    const std::optional<QByteArray> unfolded = unfoldedLines(bytes, stop);
    if (!unfolded || !QByteArrayView(*unfolded).isValidUtf8() || !unfolded->contains("BEGIN:VCALENDAR"))
        return std::nullopt;
    return read(*unfolded, localZone, stop);
}

std::optional<QList<ICSEvent>> ICS::read(QByteArrayView unfolded, const QTimeZone& localZone,
                                         const std::atomic<bool>& stop)
{
    if (stop.load(std::memory_order_relaxed))
        return std::nullopt;
    const std::string_view all(unfolded.data(), static_cast<std::size_t>(unfolded.size()));
    Context context(localZone);
    QList<ICSEvent> events;
    bool inEvent = false;
    ICSBlock block; // emptied for each event: the next reuses its storage

    for (std::size_t position = 0; position <= all.size();) {
        if (stop.load(std::memory_order_relaxed))
            return std::nullopt;
        const std::size_t newline = std::min(all.find('\n', position), all.size());
        const std::string_view line = all.substr(position, newline - position);
        position = newline + 1;

        if (line == "BEGIN:VEVENT") {
            inEvent = true; // an unfinished block before it is dropped
            block.clear();
        } else if (!inEvent) {
            continue;
        } else if (line == "END:VEVENT") {
            if (auto event = makeEvent(block, context)) {
                event->countEnd = event->lastCountedOccurrence(&stop);
                events.append(std::move(*event));
            }
            inEvent = false;
        } else {
            block.readLine(line);
        }
    }

    joinOverrides(events);
    return events;
}

} // namespace tavrin
