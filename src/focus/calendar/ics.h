#pragma once

#include "focus/calendar/icsevent.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QTimeZone>
#include <atomic>
#include <optional>
#include <string_view>

namespace tavrin {

class ICSBlock;

// Reads the events of an iCalendar feed (a calendar link): VEVENT blocks of
// timed events with DTSTART, DTEND, DURATION, SUMMARY, UID, RECURRENCE-ID,
// STATUS, RRULE and EXDATE. Everything else is ignored, and nothing fails: a
// line, value or block that cannot be read is skipped or given a default.
// Lines end in CRLF, LF or a bare CR, as the writer chose.
//
// All functions are pure; `localZone` stands for the system's current zone
// (floating times and unknown zones are read in it) and defaults to it.
class ICS {
public:
    // One property line: the text between the name and the colon (with its
    // leading ";", empty without parameters) and the value.
    struct Property {
        QString params;
        QString value;
    };
    // The properties of a block by name; a later line replaces an earlier one.
    using Properties = QHash<QString, Property>;
    // RRULE part name to its first value.
    using RuleTable = QHash<QString, QString>;

    // The events of a feed in the order their blocks end, overrides joined
    // to their series and cancelled occurrences removed. With `stop`, the
    // reading gives up (none) soon after it is set: a reader that has waited
    // long enough need not wait for the end.
    static QList<ICSEvent> parse(const QString& text, const QTimeZone& localZone = systemZone());
    static std::optional<QList<ICSEvent>> parse(const QString& text, const QTimeZone& localZone,
                                                const std::atomic<bool>& stop);
    // The same for a feed as it came: none unless its bytes, once unfolded,
    // are UTF-8 text holding a calendar. Unfolding comes first because a
    // writer may fold a line inside a character.
    static std::optional<QList<ICSEvent>> parseFeed(QByteArrayView bytes, const QTimeZone& localZone,
                                                    const std::atomic<bool>& stop);

    // The record of one block; none when it has no timed, readable DTSTART
    // (or is a cancellation without a readable RECURRENCE-ID). `exdates`
    // holds one entry per EXDATE value, with the line's parameters.
    static std::optional<ICSEvent> makeEvent(const Properties& properties, const QList<Property>& exdates,
                                             const QTimeZone& localZone = systemZone());

    // A DATE-TIME or DATE value: "Z" values in UTC, others in the zone that
    // `params` names by TZID, else in `localZone`. Strict: none unless the
    // whole value is a real date and time.
    static std::optional<double> parseDate(QStringView value, QStringView params,
                                           const QTimeZone& localZone = systemZone());

    // Seconds of a DURATION value (W, D, H, M, S; "M" is minutes); 3600 when
    // it comes to nothing.
    static double parseDuration(QStringView value);

    // A decimal integer with an optional sign, within 64 bits; none otherwise.
    static std::optional<qint64> parseInteger(QStringView text);

    // Windows zone names that feeds use as TZID, to zone identifiers.
    static const QHash<QString, QByteArray>& windowsZones();

    // The title of a cancelled override while a feed is read: NUL + "cancelled".
    static const QString& cancellationMarker();

    // The system's current zone (UTC when it cannot be told).
    static QTimeZone systemZone();

private:
    // What one reading remembers: the local zone and the zones of the
    // parameter texts seen so far, each with its resolver.
    class Context;

    // What parse does, on the feed's unfolded UTF-8 bytes: lines and
    // properties are found without decoding, and only the values an event
    // keeps are decoded.
    static std::optional<QList<ICSEvent>> read(QByteArrayView unfolded, const QTimeZone& localZone,
                                               const std::atomic<bool>& stop);
    static std::optional<QTimeZone> tzidZone(std::string_view params);
    static std::optional<ICSEvent> makeEvent(const ICSBlock& block, Context& context);
    // DTEND or DURATION, the zone and the written time of DTSTART.
    static void readTimes(ICSEvent& event, const ICSBlock& block, Context& context);
    static std::optional<double> parseDate(std::string_view value, std::string_view params, Context& context);
    static void readRule(ICSEvent& event, std::string_view rrule, Context& context);
    static void joinOverrides(QList<ICSEvent>& events);
};

} // namespace tavrin
