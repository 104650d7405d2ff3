#include "focus/calendar/ics.h"

#include "focus/calendar/wallclock.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>

namespace tavrin {

namespace {
constexpr double kDefaultDuration = 3600.0;
// A longer DURATION is taken as this: a year is longer than any real event,
// and an event must not count as lasting for ever.
constexpr double kMaxDuration = 365 * 86400.0;
// A number in a DURATION with more digits than this is unreadable.
constexpr int kMaxDurationDigits = 15;

// A date or date-time value as written.
struct Stamp {
    QDate date;
    int secondOfDay = 0;
    bool hasTime = false;
    bool utc = false;
};

std::optional<int> digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// yyyyMMdd, yyyyMMdd'T'HHmmss or yyyyMMdd'T'HHmmss'Z', matched whole.
std::optional<Stamp> readStamp(QStringView value)
{
    Stamp stamp;
    stamp.utc = value.endsWith(u'Z');
    if (stamp.utc)
        value.chop(1);
    stamp.hasTime = stamp.utc || value.contains(u'T');
    if (value.size() != (stamp.hasTime ? 15 : 8))
        return std::nullopt;
    const auto year = digits(value, 0, 4), month = digits(value, 4, 2), day = digits(value, 6, 2);
    if (!year || !month || !day || *year < 1)
        return std::nullopt;
    stamp.date = QDate(*year, *month, *day);
    if (!stamp.date.isValid())
        return std::nullopt;
    if (stamp.hasTime) {
        if (value[8] != u'T')
            return std::nullopt;
        const auto hour = digits(value, 9, 2), minute = digits(value, 11, 2), second = digits(value, 13, 2);
        if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
            return std::nullopt;
        stamp.secondOfDay = *hour * 3600 + *minute * 60 + *second;
    }
    return stamp;
}

// Where `needle` first occurs outside double quotes; -1 when it does not.
qsizetype indexOutsideQuotes(QStringView text, QStringView needle)
{
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'"')
            quoted = !quoted;
        else if (!quoted && text.mid(i).startsWith(needle))
            return i;
    }
    return -1;
}

// The colon that ends a property's name and parameters. Parameter values may
// be quoted and hold colons; with unbalanced quotes the first colon counts.
qsizetype valueColon(QStringView line)
{
    // Most lines have no quote before their first colon.
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0 || !line.left(colon).contains(u'"'))
        return colon;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'"')
            quoted = !quoted;
        else if (line[i] == u':' && !quoted)
            return i;
    }
    return quoted ? line.indexOf(u':') : -1;
}

// Something the zone database could hold: letters, digits and _+-.:/ in
// non-empty segments that do not climb out of it.
bool plausibleZoneId(QStringView id)
{
    if (id.isEmpty() || id.size() > 64)
        return false;
    for (QChar c : id) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
                             || u == u'_' || u == u'+' || u == u'-' || u == u'.' || u == u':' || u == u'/';
        if (!allowed)
            return false;
    }
    for (QStringView segment : id.split(u'/'))
        if (segment.isEmpty() || segment == u"." || segment == u"..")
            return false;
    return true;
}

std::optional<QTimeZone> knownZone(QStringView id)
{
    if (plausibleZoneId(id)) {
        QTimeZone zone(id.toUtf8());
        if (zone.isValid())
            return zone;
    }
    const QString name = id.toString();
    if (const auto row = ICS::windowsZones().constFind(name); row != ICS::windowsZones().cend()) {
        QTimeZone zone(*row);
        if (zone.isValid())
            return zone;
    }
    const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(name.toUtf8());
    if (!iana.isEmpty()) {
        QTimeZone zone(iana);
        if (zone.isValid())
            return zone;
    }
    return std::nullopt;
}

QStringView stripQuotes(QStringView text)
{
    while (text.startsWith(u'"'))
        text = text.mid(1);
    while (text.endsWith(u'"'))
        text.chop(1);
    return text;
}

// The name of a property a block is read for, as the key it is kept under
// (shared, so keeping it copies nothing); none for others, which are not kept.
const QString* readProperty(QStringView name)
{
    static const QString kRead[] = {QStringLiteral("DTSTART"),  QStringLiteral("DTEND"),
                                    QStringLiteral("DURATION"), QStringLiteral("SUMMARY"),
                                    QStringLiteral("UID"),      QStringLiteral("STATUS"),
                                    QStringLiteral("RRULE"),    QStringLiteral("RECURRENCE-ID")};
    for (const QString& read : kRead)
        if (name == read)
            return &read;
    return nullptr;
}

// DTSTART's written time of day when the clocks of its zone skipped it
// (`start` being where it resolved to); none for a time that exists.
std::optional<int> skippedTimeOfDay(QStringView value, const WallClock& clock, double start)
{
    const std::optional<Stamp> stamp = readStamp(value);
    if (!stamp || stamp->utc)
        return std::nullopt;
    const std::optional<WallClock::Local> shown = clock.local(start);
    if (!shown || (shown->date == stamp->date && shown->secondOfDay == stamp->secondOfDay))
        return std::nullopt;
    return stamp->secondOfDay;
}

// The text with every CRLF made LF and folded lines joined: a line break
// followed by a space or a tab continues the line before it. One pass that
// does what three replacements in turn would do (CRLF to LF, then LF space
// removed, then LF tab removed), each a left-to-right scan that holds back a
// character until it sees the next: feeds are read by the megabyte, and
// most characters are none of these.
QString unfoldedLines(const QString& text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* o = out.data();
    qsizetype n = 0;
    bool heldReturn = false, heldBreak = false, heldBreakBeforeTab = false;
    const auto third = [&](QChar c) {
        if (heldBreakBeforeTab) {
            heldBreakBeforeTab = false;
            if (c == u'\t')
                return;
            o[n++] = u'\n';
        }
        if (c == u'\n')
            heldBreakBeforeTab = true;
        else
            o[n++] = c;
    };
    const auto second = [&](QChar c) {
        if (heldBreak) {
            heldBreak = false;
            if (c == u' ')
                return;
            third(u'\n');
        }
        if (c == u'\n')
            heldBreak = true;
        else
            third(c);
    };
    const auto first = [&](QChar c) {
        if (heldReturn) {
            heldReturn = false;
            if (c == u'\n') {
                second(u'\n');
                return;
            }
            second(u'\r');
        }
        if (c == u'\r')
            heldReturn = true;
        else
            second(c);
    };
    const QChar* in = text.constData();
    const QChar* const end = in + text.size();
    while (in < end) {
        // Runs without a line break go straight through: spaces and tabs
        // matter only after a held one.
        if (!heldReturn && !heldBreak && !heldBreakBeforeTab) {
            // The next line feed, and a carriage return before it.
            const QStringView rest(in, end - in);
            qsizetype feed = rest.indexOf(u'\n');
            if (feed < 0)
                feed = rest.size();
            const qsizetype ret = rest.left(feed).indexOf(u'\r');
            const QChar* stop = in + (ret >= 0 ? ret : feed);
            std::copy(in, stop, o + n);
            n += stop - in;
            in = stop;
            if (in == end)
                break;
        }
        first(*in++);
    }
    if (heldReturn) {
        heldReturn = false;
        second(u'\r');
    }
    if (heldBreak) {
        heldBreak = false;
        third(u'\n');
    }
    if (heldBreakBeforeTab)
        o[n++] = u'\n';
    out.truncate(n);
    return out;
}

// Whether `line` of an event belongs to a component nested in it, opening or
// closing one as it says. `nested` holds the open components' names,
// innermost last, and `openCount` how often each is open.
bool skipsNested(QStringView line, QList<QStringView>& nested, QHash<QStringView, int>& openCount)
{
    if (line.startsWith(u"BEGIN:")) {
        nested.append(line.mid(6));
        ++openCount[nested.last()];
        return true;
    }
    if (nested.isEmpty())
        return false;
    // An end line closes its component and any left open inside it.
    if (line.startsWith(u"END:") && openCount.value(line.mid(4)) > 0) {
        const QStringView name = line.mid(4);
        QStringView closed;
        do {
            closed = nested.takeLast();
            --openCount[closed];
        } while (closed != name);
    }
    return true;
}

// Keeps what a property line of an event holds: each EXDATE value with the
// line's parameters, or a read property's parameters and value by name (a
// later line replacing an earlier one). Other lines are ignored.
void readPropertyLine(QStringView line, ICS::Properties& properties, QList<ICS::Property>& exdates)
{
    const qsizetype colon = valueColon(line);
    if (colon < 0)
        return;
    const QStringView head = line.left(colon);
    const QStringView value = line.mid(colon + 1);
    const qsizetype semicolon = head.indexOf(u';');
    const QStringView name = semicolon < 0 ? head : head.left(semicolon);
    const QStringView params = semicolon < 0 ? QStringView() : head.mid(semicolon);
    if (name == u"EXDATE") {
        for (QStringView piece : value.split(u','))
            exdates.append({params.toString(), piece.toString()});
    } else if (const QString* key = readProperty(name)) {
        properties.insert(*key, {params.toString(), value.toString()});
    }
}
} // namespace

class ICS::Context {
public:
    explicit Context(const QTimeZone& localZone) : local(localZone.isValid() ? localZone : QTimeZone::utc()) {}

    // The resolver of the zone that a parameter text names, else the local one.
    const WallClock& clockFor(QStringView params)
    {
        if (params.isEmpty())
            return local;
        // Most events of a feed name the zone the one before named.
        if (lastClock && params == lastParams)
            return *lastClock;
        auto found = clocks.find(params.toString());
        if (found == clocks.end()) {
            const std::optional<QTimeZone> zone = tzidZone(params);
            found = clocks.insert(params.toString(), zone ? std::make_shared<WallClock>(*zone) : nullptr);
        }
        lastParams = found.key();
        lastClock = *found ? found->get() : &local;
        return *lastClock;
    }

    const WallClock local;
    const WallClock utc{QTimeZone::utc()};

private:
    QHash<QString, std::shared_ptr<WallClock>> clocks;
    QString lastParams;
    const WallClock* lastClock = nullptr;
};

QTimeZone ICS::systemZone()
{
    QTimeZone zone = QTimeZone::systemTimeZone();
    return zone.isValid() ? zone : QTimeZone::utc();
}

const QHash<QString, int>& ICS::weekdayCodes()
{
    static const QHash<QString, int> codes{
        {QStringLiteral("SU"), 1}, {QStringLiteral("MO"), 2}, {QStringLiteral("TU"), 3}, {QStringLiteral("WE"), 4},
        {QStringLiteral("TH"), 5}, {QStringLiteral("FR"), 6}, {QStringLiteral("SA"), 7},
    };
    return codes;
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

std::optional<qint64> ICS::parseInteger(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'+') || text.startsWith(u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    constexpr quint64 kLimit = quint64(std::numeric_limits<qint64>::max()) + 1;
    quint64 magnitude = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (u - u'0');
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (negative)
        return qint64(0 - magnitude); // two's complement: 2^63 becomes the minimum
    if (magnitude == kLimit)
        return std::nullopt;
    return qint64(magnitude);
}

std::optional<QTimeZone> ICS::tzidZone(QStringView params)
{
    const qsizetype at = indexOutsideQuotes(params, u"TZID=");
    if (at < 0)
        return std::nullopt;
    // A quoted name runs to its closing quote; any other to the next ";".
    QStringView id = params.mid(at + 5);
    const qsizetype close = id.startsWith(u'"') ? id.indexOf(u'"', 1) : -1;
    const qsizetype end = close > 0 ? close + 1 : id.indexOf(u';');
    if (end >= 0)
        id = id.left(end);
    return knownZone(stripQuotes(id));
}

std::optional<double> ICS::parseDate(QStringView value, QStringView params, const QTimeZone& localZone)
{
    Context context(localZone);
    return parseDate(value, params, context);
}

std::optional<double> ICS::parseDate(QStringView value, QStringView params, Context& context)
{
    const std::optional<Stamp> stamp = readStamp(value);
    if (!stamp)
        return std::nullopt;
    const WallClock& clock = stamp->utc ? context.utc : context.clockFor(params);
    return clock.instant(stamp->date, stamp->secondOfDay);
}

double ICS::parseDuration(QStringView value)
{
    double sum = 0;
    qint64 number = 0;
    int digits = 0;
    for (QChar c : value) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9') {
            if (++digits > kMaxDurationDigits)
                return kDefaultDuration;
            number = number * 10 + (u - u'0');
            continue;
        }
        switch (u) {
        case u'W': sum += double(number) * 604800; break;
        case u'D': sum += double(number) * 86400; break;
        case u'H': sum += double(number) * 3600; break;
        case u'M': sum += double(number) * 60; break;
        case u'S': sum += double(number); break;
        default: break;
        }
        number = 0;
        digits = 0;
    }
    if (!(sum > 0))
        return kDefaultDuration;
    return std::min(sum, kMaxDuration);
}

QList<qint64> ICS::intList(const QString& part, const RuleTable& rule)
{
    QList<qint64> values;
    const QString text = rule.value(part);
    for (QStringView piece : QStringView(text).split(u',', Qt::SkipEmptyParts))
        if (const auto n = parseInteger(piece))
            values.append(*n);
    return values;
}

void ICS::readRule(ICSEvent& event, const QString& rrule, Context& context)
{
    RuleTable rule;
    for (QStringView piece : QStringView(rrule).split(u';')) {
        const QList<QStringView> parts = piece.split(u'=');
        if (parts.size() == 2 && !rule.contains(parts[0].toString()))
            rule.insert(parts[0].toString(), parts[1].toString());
    }
    if (const auto freq = rule.constFind(QStringLiteral("FREQ")); freq != rule.cend())
        event.freq = *freq;
    event.interval = parseInteger(rule.value(QStringLiteral("INTERVAL"), QStringLiteral("1"))).value_or(1);
    event.count = parseInteger(rule.value(QStringLiteral("COUNT")));

    // UNTIL is read in the local zone. A date without a time means the whole
    // of that day, as the calendar that wrote it shows it.
    if (const auto stamp = readStamp(rule.value(QStringLiteral("UNTIL")))) {
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

    const QString byDay = rule.value(QStringLiteral("BYDAY"));
    for (QStringView piece : QStringView(byDay).split(u',')) {
        if (piece.size() < 2)
            continue;
        const auto code = weekdayCodes().constFind(piece.right(2).toString());
        if (code == weekdayCodes().cend())
            continue;
        const QStringView ordinal = piece.chopped(2);
        event.byDay.append({ordinal.isEmpty() ? 0 : parseInteger(ordinal).value_or(0), *code});
    }
    event.byMonthDay = intList(QStringLiteral("BYMONTHDAY"), rule);
    event.byMonth = intList(QStringLiteral("BYMONTH"), rule);
    event.bySetPos = intList(QStringLiteral("BYSETPOS"), rule);
}

std::optional<ICSEvent> ICS::makeEvent(const Properties& properties, const QList<Property>& exdates,
                                       const QTimeZone& localZone)
{
    Context context(localZone);
    return makeEvent(properties, exdates, context);
}

std::optional<ICSEvent> ICS::makeEvent(const Properties& properties, const QList<Property>& exdates, Context& context)
{
    const auto dtstart = properties.constFind(QStringLiteral("DTSTART"));
    if (dtstart == properties.cend())
        return std::nullopt;
    const QString& startParams = dtstart->params;
    if (startParams.contains(u"VALUE=DATE") && !startParams.contains(u"VALUE=DATE-TIME"))
        return std::nullopt; // all-day
    if (dtstart->value.size() < 9)
        return std::nullopt; // a bare date: all-day
    const std::optional<double> start = parseDate(dtstart->value, startParams, context);
    if (!start)
        return std::nullopt;

    ICSEvent event;
    event.start = *start;
    if (const auto rid = properties.constFind(QStringLiteral("RECURRENCE-ID")); rid != properties.cend())
        event.recurrenceID = parseDate(rid->value, rid->params, context);
    event.uid = properties.value(QStringLiteral("UID")).value;

    if (properties.value(QStringLiteral("STATUS")).value == u"CANCELLED") {
        if (!event.recurrenceID)
            return std::nullopt;
        event.title = cancellationMarker();
        event.duration = 0;
        event.zone = context.local.zone();
        return event;
    }

    std::optional<double> end;
    if (const auto dtend = properties.constFind(QStringLiteral("DTEND")); dtend != properties.cend())
        end = parseDate(dtend->value, dtend->params, context);
    if (end)
        event.duration = *end - *start;
    else if (const auto duration = properties.constFind(QStringLiteral("DURATION")); duration != properties.cend())
        event.duration = parseDuration(duration->value);

    event.title = properties.value(QStringLiteral("SUMMARY")).value;
    if (event.title.contains(u'\\'))
        event.title.replace(QStringLiteral("\\,"), QStringLiteral(","))
            .replace(QStringLiteral("\\;"), QStringLiteral(";"))
            .replace(QStringLiteral("\\n"), QStringLiteral(" "));
    event.zone = dtstart->value.endsWith(u'Z') ? QTimeZone::utc() : context.clockFor(startParams).zone();
    event.writtenTimeOfDay = skippedTimeOfDay(dtstart->value, context.clockFor(startParams), *start);

    // An override replaces one occurrence and never repeats itself.
    if (!event.recurrenceID)
        if (const auto rrule = properties.constFind(QStringLiteral("RRULE")); rrule != properties.cend())
            readRule(event, rrule->value, context);

    for (const Property& ex : exdates)
        if (const auto instant = parseDate(ex.value, ex.params, context))
            event.exdates.append(*instant);
    return event;
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
    if (stop.load(std::memory_order_relaxed))
        return std::nullopt;
    const QString unfolded = unfoldedLines(text);
    Context context(localZone);

    QList<ICSEvent> events;
    bool inEvent = false;
    Properties properties;
    QList<Property> exdates;
    // Components inside the event (alarms), skipped from BEGIN to matching
    // END: their names, innermost last, and how often each is open.
    QList<QStringView> nested;
    QHash<QStringView, int> openCount;

    const QStringView all(unfolded);
    qsizetype position = 0;
    while (position <= all.size()) {
        qsizetype newline = all.indexOf(u'\n', position);
        if (newline < 0)
            newline = all.size();
        const QStringView line = all.mid(position, newline - position);
        position = newline + 1;

        if (line == u"BEGIN:VEVENT") {
            inEvent = true; // an unfinished block before it is dropped
            // Emptied in place: the next block reuses the table's storage.
            for (auto it = properties.begin(); it != properties.end();)
                it = properties.erase(it);
            exdates.clear();
            nested.clear();
            openCount.clear();
            continue;
        }
        if (!inEvent)
            continue;
        if (line == u"END:VEVENT") {
            if (stop.load(std::memory_order_relaxed))
                return std::nullopt;
            if (auto event = makeEvent(properties, exdates, context)) {
                event->countEnd = event->lastCountedOccurrence();
                events.append(std::move(*event));
            }
            inEvent = false;
            continue;
        }
        if (!skipsNested(line, nested, openCount))
            readPropertyLine(line, properties, exdates);
    }

    joinOverrides(events);
    return events;
}

} // namespace tavrin
