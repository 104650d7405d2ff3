#include "focus/focusroutine.h"

#include "focus/calendar/wallclock.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <QJsonArray>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tavrin {

namespace {

// Reads the keys of one JSON object strictly: a key that is missing or null
// leaves the target as it is (or, when required, fails); a key of the wrong
// type fails. After a failure nothing more is read.
class StrictReader {
public:
    explicit StrictReader(const QJsonObject& object) : object_(object) {}

    bool ok() const { return ok_; }

    void string(const char* key, QString& out, bool required = false)
    {
        if (const auto v = take(key, required)) {
            if (v->isString())
                out = v->toString();
            else
                ok_ = false;
        }
    }
    void optionalString(const char* key, std::optional<QString>& out)
    {
        QString text;
        if (const auto v = take(key, false)) {
            string(key, text);
            if (ok_)
                out = text;
        }
    }
    void boolean(const char* key, bool& out, bool required = false)
    {
        if (const auto v = take(key, required)) {
            if (v->isBool())
                out = v->toBool();
            else
                ok_ = false;
        }
    }
    void integer(const char* key, int& out, bool required = false)
    {
        if (const auto v = take(key, required)) {
            const auto n = wholeNumber(*v);
            if (n)
                out = *n;
            else
                ok_ = false;
        }
    }
    void strings(const char* key, QStringList& out, bool required = false)
    {
        if (const auto v = take(key, required)) {
            if (!v->isArray()) {
                ok_ = false;
                return;
            }
            QStringList list;
            for (const QJsonArray items = v->toArray(); const QJsonValue e : items) {
                if (!e.isString()) {
                    ok_ = false;
                    return;
                }
                list << e.toString();
            }
            out = list;
        }
    }
    void uuid(const char* key, QUuid& out, bool required = false)
    {
        QString text;
        string(key, text, required);
        if (!ok_ || !present(key))
            return;
        static const QRegularExpression form(
            QStringLiteral(R"(^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$)"));
        if (form.match(text).hasMatch())
            out = QUuid::fromString(text);
        else
            ok_ = false;
    }
    // The value of a key that is neither missing nor null.
    std::optional<QJsonValue> take(const char* key, bool required)
    {
        if (!ok_)
            return std::nullopt;
        if (!present(key)) {
            if (required)
                ok_ = false;
            return std::nullopt;
        }
        return object_.value(QLatin1String(key));
    }
    bool present(const char* key) const
    {
        const QJsonValue v = object_.value(QLatin1String(key));
        return !v.isUndefined() && !v.isNull();
    }
    void fail() { ok_ = false; }

    static std::optional<int> wholeNumber(const QJsonValue& v)
    {
        if (!v.isDouble())
            return std::nullopt;
        const double d = v.toDouble();
        if (d != std::floor(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
            return std::nullopt;
        return int(d);
    }

private:
    const QJsonObject& object_;
    bool ok_ = true;
};

QJsonArray stringArray(const QStringList& list) { return QJsonArray::fromStringList(list); }

QString uuidText(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

QString dayPart(const QSet<int>& days)
{
    if (days == FocusRoutine::Schedule::weekdays())
        return QStringLiteral("weekdays");
    if (days.size() == 7)
        return QStringLiteral("every day");
    if (days == QSet<int>{1, 7})
        return QStringLiteral("weekends");
    static const QStringList names{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    QList<int> sorted(days.begin(), days.end());
    std::sort(sorted.begin(), sorted.end());
    QStringList parts;
    for (const int day : sorted)
        parts << (day >= 1 && day <= 7 ? names[day - 1] : QString::number(day));
    return parts.join(QStringLiteral(", "));
}

} // namespace

// ---- Schedule ----

QSet<int> FocusRoutine::Schedule::weekdays()
{
    QSet<int> days;
    for (int day = 2; day <= 6; ++day)
        days.insert(day);
    return days;
}

QString FocusRoutine::Schedule::summary() const
{
    return dayPart(days) + QLatin1Char(' ') + timeText(start) + QChar(0x2013) + timeText(end);
}

std::optional<double> FocusRoutine::Schedule::activeEnd(double at, const WallClock& clock) const
{
    const auto local = clock.local(at);
    if (!local)
        return std::nullopt;
    const int minute = local->secondOfDay / 60;
    const int weekday = local->date.dayOfWeek() % 7 + 1; // 1 Sunday … 7 Saturday
    const int yesterday = weekday == 1 ? 7 : weekday - 1;
    // An end at or before `at` is no end: in the hour the clocks repeat, a
    // window that closed at its first pass reads open again on the second.
    const auto endOn = [&](QDate day) -> std::optional<double> {
        const auto instant = clock.instant(day, end * 60);
        return instant && *instant > at ? instant : std::nullopt;
    };
    if (start < end) {
        if (days.contains(weekday) && start <= minute && minute < end)
            return endOn(local->date);
        return std::nullopt;
    }
    if (days.contains(weekday) && minute >= start)
        return endOn(local->date.addDays(1));
    if (days.contains(yesterday) && minute < end)
        return endOn(local->date);
    return std::nullopt;
}

QJsonObject FocusRoutine::Schedule::toJson() const
{
    QList<int> sorted(days.begin(), days.end());
    std::sort(sorted.begin(), sorted.end());
    QJsonArray dayArray;
    for (const int day : sorted)
        dayArray.append(day);
    return QJsonObject{{"id", uuidText(id)}, {"days", dayArray}, {"start", start}, {"end", end}};
}

std::optional<FocusRoutine::Schedule> FocusRoutine::Schedule::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    StrictReader r(o);
    Schedule s;
    r.uuid("id", s.id, true);
    const auto days = r.take("days", true);
    if (days && days->isArray()) {
        s.days.clear();
        for (const QJsonArray items = days->toArray(); const QJsonValue d : items) {
            const auto n = StrictReader::wholeNumber(d);
            if (!n)
                return std::nullopt;
            s.days.insert(*n);
        }
    } else if (days) {
        r.fail();
    }
    r.integer("start", s.start, true);
    r.integer("end", s.end, true);
    return r.ok() ? std::optional(s) : std::nullopt;
}

// ---- Actions ----

QJsonObject FocusRoutine::Actions::toJson() const
{
    QJsonObject o{{"hideApps", stringArray(hideApps)}, {"quitApps", stringArray(quitApps)}, {"shareSafe", shareSafe}};
    if (layout)
        o.insert(QStringLiteral("layout"), tavrin::name(*layout));
    if (workspace)
        o.insert(QStringLiteral("workspace"), *workspace);
    if (focusOnShortcut)
        o.insert(QStringLiteral("focusOnShortcut"), *focusOnShortcut);
    if (focusOffShortcut)
        o.insert(QStringLiteral("focusOffShortcut"), *focusOffShortcut);
    return o;
}

std::optional<FocusRoutine::Actions> FocusRoutine::Actions::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    StrictReader r(o);
    Actions a;
    r.strings("hideApps", a.hideApps, true);
    r.strings("quitApps", a.quitApps, true);
    std::optional<QString> layoutName;
    r.optionalString("layout", layoutName);
    if (layoutName) {
        a.layout = layoutKindFromName(*layoutName);
        if (!a.layout)
            r.fail();
    }
    r.optionalString("workspace", a.workspace);
    r.optionalString("focusOnShortcut", a.focusOnShortcut);
    r.optionalString("focusOffShortcut", a.focusOffShortcut);
    r.boolean("shareSafe", a.shareSafe, true);
    return r.ok() ? std::optional(a) : std::nullopt;
}

// ---- Routine ----

const QStringList& FocusRoutine::distractingApps()
{
    static const QStringList apps{"Slack",           "Messages",         "Mail", "Discord", "WhatsApp", "Telegram",
                                  "Microsoft Teams", "Microsoft Outlook"};
    return apps;
}

FocusRoutine FocusRoutine::deepWork()
{
    FocusRoutine r;
    r.name = QStringLiteral("Deep work");
    r.eventWords = {QStringLiteral("Focus")};
    r.macFocus = true;
    const QStringList installed = installedAppNames();
    const QSet<QString> names(installed.begin(), installed.end());
    for (const QString& app : distractingApps())
        if (names.contains(app))
            r.actions.hideApps << app;
    return r;
}

QJsonObject FocusRoutine::toJson() const
{
    QJsonArray scheduleArray;
    for (const Schedule& s : schedules)
        scheduleArray.append(s.toJson());
    return QJsonObject{{"id", uuidText(id)},
                       {"name", name},
                       {"enabled", enabled},
                       {"eventWords", stringArray(eventWords)},
                       {"macFocus", macFocus},
                       {"schedules", scheduleArray},
                       {"whileApps", stringArray(whileApps)},
                       {"actions", actions.toJson()}};
}

std::optional<FocusRoutine> FocusRoutine::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    StrictReader r(o);
    FocusRoutine routine;
    r.uuid("id", routine.id);
    r.string("name", routine.name);
    r.boolean("enabled", routine.enabled);
    if (r.present("eventWords")) {
        r.strings("eventWords", routine.eventWords);
    } else if (r.present("eventWord")) {
        QString word;
        r.string("eventWord", word);
        routine.eventWords = {word};
    }
    r.boolean("macFocus", routine.macFocus);
    if (const auto list = r.take("schedules", false)) {
        if (!list->isArray())
            return std::nullopt;
        for (const QJsonArray items = list->toArray(); const QJsonValue s : items) {
            auto schedule = Schedule::fromJson(s);
            if (!schedule)
                return std::nullopt;
            routine.schedules.append(*schedule);
        }
    }
    r.strings("whileApps", routine.whileApps);
    if (const auto actions = r.take("actions", false)) {
        auto read = Actions::fromJson(*actions);
        if (!read)
            return std::nullopt;
        routine.actions = *read;
    }
    return r.ok() ? std::optional(routine) : std::nullopt;
}

// ---- Helpers ----

QStringList installedAppNames()
{
    Workspace* workspace = Platform::current().workspace;
    return workspace ? workspace->installedApplicationNames() : QStringList();
}

QString timeText(const QTime& time)
{
    const QLocale locale;
    // The C locale's short style has seconds: hours and minutes there.
    if (locale.language() == QLocale::C)
        return time.toString(QStringLiteral("HH:mm"));
    return locale.toString(time, QLocale::ShortFormat);
}

QString timeText(int minuteOfDay)
{
    const QTime time(minuteOfDay >= 0 ? minuteOfDay / 60 : -1, minuteOfDay >= 0 ? minuteOfDay % 60 : 0);
    return time.isValid() ? timeText(time) : QString();
}

} // namespace tavrin
