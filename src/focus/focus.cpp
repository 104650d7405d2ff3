#include "focus/focus.h"

#include "focus/calendar/ics.h"
#include "focus/calendar/wallclock.h"
#include "focus/routinestore.h"
#include "modes/meetingmode.h"
#include "modes/sharesafe.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "platform/workspace.h"
#include "windows/windowmanager.h"
#include "workspaces/shortcutparameters.h"

#include <QCoreApplication>
#include <QSet>
#include <algorithm>

namespace tavrin {

// The calendar reader's instants are the platform clock's.
static_assert(WallClock::kReferenceEpochSeconds == Clock::kReferenceEpochSeconds);

namespace {
// A word as it is looked for: lower case, without spaces and tabs around it.
QString searchWord(const QString& word)
{
    const QString lower = word.toLower();
    qsizetype from = 0;
    qsizetype to = lower.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (from < to && blank(lower.at(from)))
        ++from;
    while (to > from && blank(lower.at(to - 1)))
        --to;
    return lower.mid(from, to - from);
}

// The names of the running applications that show in the Dock.
QSet<QString> runningRegularNames(Workspace& workspace)
{
    QSet<QString> names;
    for (const RunningApp& app : workspace.runningApplications())
        if (app.activationPolicy == ActivationPolicy::regular && !app.localizedName.isEmpty())
            names.insert(app.localizedName);
    return names;
}

} // namespace

Focus::Focus(MeetingMode& meeting, ShareSafe& shareSafe, WindowManager& windows, WorkspaceRunner& runner,
             const Platform& platform, std::optional<QTimeZone> zone, QObject* parent)
    : QObject(parent),
      platform_(platform),
      zone_(std::move(zone)),
      enabled_(storedSwitch(platform.defaults)),
      actions_(meeting, shareSafe, windows, runner, platform),
      links_(platform)
{
    RoutineStore::Stored stored = RoutineStore::load(platform_.defaults);
    routines_ = std::move(stored.routines);
    unreadable_ = std::move(stored.raw);
    if (const CalendarStore* store = platform_.calendars)
        calendarStatus_ = store->access();
    connect(&actions_, &RoutineActions::hiddenAppsChanged, this, &Focus::hiddenAppsChanged);
    connect(&links_, &CalendarLinks::errorsChanged, this, &Focus::linkErrorsChanged);
    connect(&links_, &CalendarLinks::fetched, this, &Focus::evaluate);
}

Focus::~Focus() = default;

bool Focus::storedSwitch(const Defaults* defaults)
{
    if (!defaults)
        return false;
    if (const auto value = defaults->value(kSwitchKey); value && value->typeId() == QMetaType::Bool)
        return value->toBool();
    return defaults->boolValue(kOlderSwitchKey);
}

double Focus::now() const { return platform_.clock->now(); }

// ---- The switch and the list ----

void Focus::setEnabled(bool on)
{
    enabled_ = on;
    if (Defaults* defaults = platform_.defaults)
        defaults->setValue(kSwitchKey, on);
    emit enabledChanged(on);
    if (on)
        requestCalendarAccess();
    else
        stop();
    evaluate();
}

void Focus::setRoutines(const QList<FocusRoutine>& routines)
{
    routines_ = routines;
    emit routinesChanged();
    saveRoutines();
}

void Focus::saveRoutines()
{
    RoutineStore::write(platform_.defaults, routines_, unreadable_);
    ShortcutParameters::refresh();
}

void Focus::requestCalendarAccess()
{
    CalendarStore* store = platform_.calendars;
    if (!store || calendarStatus_ == CalendarAccess::fullAccess)
        return;
    store->requestFullAccess([self = QPointer<Focus>(this), store = QPointer<CalendarStore>(store)] {
        if (!self || !store)
            return;
        self->calendarStatus_ = store->access();
        emit self->calendarStatusChanged();
        self->evaluate();
    });
}

// ---- Starting and stopping ----

void Focus::start()
{
    if (timer_)
        return;
    timer_ = new Timer(*platform_.clock, this);
    connect(timer_, &Timer::timeout, this, &Focus::evaluate);
    timer_->startRepeating(kEvaluateInterval);
    if (CalendarStore* store = platform_.calendars)
        connect(store, &CalendarStore::changed, this, &Focus::evaluate);
    evaluate();
}

void Focus::stop()
{
    if (source_ && source_->kind == Source::Kind::calendar && source_->until)
        skipUntil_ = source_->until;
    if (source_ && source_->kind == Source::Kind::app)
        skipWhileApp_ = running_ ? std::optional(running_->id) : std::nullopt;
    manual_.reset();
    macFocusRoutine_.reset();
    end();
}

void Focus::start(const std::optional<FocusRoutine>& routine, int minutes)
{
    std::optional<QUuid> target;
    if (routine) {
        target = routine->id;
    } else if (!routines_.isEmpty()) {
        const auto on =
            std::find_if(routines_.begin(), routines_.end(), [](const FocusRoutine& r) { return r.enabled; });
        target = (on != routines_.end() ? *on : routines_.front()).id;
    }
    if (!target)
        return;
    manual_ = std::pair(*target, now() + std::max(minutes, kMinManualMinutes) * 60.0);
    evaluate();
}

void Focus::setMacFocus(const std::optional<QUuid>& id)
{
    macFocusRoutine_ = id;
    if (id) {
        const auto named =
            std::find_if(routines_.begin(), routines_.end(), [&](const FocusRoutine& r) { return r.id == *id; });
        if (named != routines_.end() && !named->macFocus) {
            named->macFocus = true;
            emit routinesChanged();
            saveRoutines();
        }
    }
    evaluate();
}

// ---- The reconcile step ----

void Focus::evaluate()
{
    const double t = now();
    if (manual_ && manual_->second <= t)
        manual_.reset();
    if (skipUntil_ && *skipUntil_ <= t)
        skipUntil_.reset();
    refreshLinksIfDue();

    const std::optional<Pick> chosen = pick(t);
    if (!chosen) {
        if (running_)
            end();
        return;
    }
    if (running_ && running_->id == chosen->routine->id) {
        until_ = chosen->end;
        source_ = chosen->source;
        emit runningChanged();
        return;
    }
    // A copy: ending the last routine tells observers, who may edit the list.
    const FocusRoutine routine = *chosen->routine;
    if (running_)
        end();
    until_ = chosen->end;
    run(routine, chosen->source);
    source_ = chosen->source;
    emit runningChanged();
}

const FocusRoutine* Focus::routine(const QUuid& id) const
{
    const auto it = std::find_if(routines_.begin(), routines_.end(), [&](const FocusRoutine& r) { return r.id == id; });
    return it != routines_.end() ? &*it : nullptr;
}

std::optional<Focus::Pick> Focus::pick(double now)
{
    if (manual_)
        if (const FocusRoutine* r = routine(manual_->first))
            return Pick{r, Source::manual(manual_->second), manual_->second};
    if (!enabled_)
        return std::nullopt;
    if (macFocusRoutine_) {
        const auto named = std::find_if(routines_.begin(), routines_.end(),
                                        [&](const FocusRoutine& r) { return r.id == *macFocusRoutine_ && r.enabled; });
        if (named != routines_.end())
            return Pick{&*named, Source::macFocus(), std::nullopt};
    }
    if (skipUntil_)
        return std::nullopt;
    return automaticPick(now);
}

std::optional<Focus::Pick> Focus::automaticPick(double now)
{
    const QList<Now> events = currentEvents(now);
    QStringList lowerTitles;
    lowerTitles.reserve(events.size());
    for (const Now& e : events)
        lowerTitles << e.title.toLower();
    const QSet<QString> running = runningRegularNames(*platform_.workspace);
    const WallClock clock(zone_.value_or(ICS::systemZone()));
    for (const FocusRoutine& r : routines_) {
        if (!r.enabled)
            continue;
        if (auto found = triggerOf(r, events, lowerTitles, running, now, clock))
            return found;
    }
    return std::nullopt;
}

std::optional<Focus::Pick> Focus::triggerOf(const FocusRoutine& routine, const QList<Now>& events,
                                            const QStringList& lowerTitles, const QSet<QString>& running, double now,
                                            const WallClock& clock)
{
    QStringList words;
    for (const QString& w : routine.eventWords)
        if (const QString word = searchWord(w); !word.isEmpty())
            words << word;
    for (qsizetype i = 0; i < events.size() && !words.isEmpty(); ++i)
        for (const QString& word : std::as_const(words))
            if (lowerTitles[i].contains(word))
                return Pick{&routine, Source::calendar(events[i].end), events[i].end};

    std::optional<double> latest;
    for (const FocusRoutine::Schedule& s : routine.schedules)
        if (const auto end = s.activeEnd(now, clock))
            latest = std::max(latest.value_or(*end), *end);
    if (latest)
        return Pick{&routine, Source::calendar(*latest), *latest};

    for (const QString& app : routine.whileApps) {
        if (!running.contains(app))
            continue;
        // Stopped while its applications were open: not again until they close.
        if (skipWhileApp_ == routine.id)
            return std::nullopt;
        return Pick{&routine, Source::app(), std::nullopt};
    }
    if (skipWhileApp_ == routine.id)
        skipWhileApp_.reset();
    return std::nullopt;
}

// ---- Running ----

void Focus::run(const FocusRoutine& routine, const Source& source)
{
    running_ = routine;
    emit runningChanged();
    actions_.run(routine, source.kind == Source::Kind::macFocus);
}

void Focus::end()
{
    actions_.end();
    if (!running_)
        return;
    running_.reset();
    source_.reset();
    until_.reset();
    emit runningChanged();
}

// ---- Calendars ----

QStringList Focus::chosenCalendars(const Defaults* defaults)
{
    const auto value = defaults ? defaults->value(kCalendarsKey) : std::nullopt;
    QStringList ids;
    if (value && value->canConvert<QVariantList>())
        for (const QVariant& v : value->toList())
            if (v.typeId() == QMetaType::QString)
                ids << v.toString();
    return ids;
}

QList<Focus::Now> Focus::currentEvents() const { return currentEvents(now()); }

QList<Focus::Now> Focus::currentEvents(double now) const
{
    QList<Now> out;
    const CalendarStore* store = platform_.calendars;
    if (store && calendarStatus_ == CalendarAccess::fullAccess) {
        const QStringList chosen = chosenCalendars(platform_.defaults);
        QStringList ids;
        for (const CalendarInfo& c : store->calendars())
            if (chosen.isEmpty() || chosen.contains(c.id))
                ids << c.id;
        // Chosen calendars that have all gone give no events, not all of them.
        if (!ids.isEmpty())
            for (const CalendarEvent& e : store->events(ids, now - kEventLookBack, now + kEventLookAhead))
                if (!e.allDay && e.start <= now && e.end > now)
                    out.append(Now{e.title, e.end});
    }
    const QList<ICSEvent>& linked = links_.events();
    for (const LinkOccurrences::Happening& h : links_.happening(now))
        out.append(Now{linked[h.index].title, h.end});
    return out;
}

void Focus::refreshLinksIfDue() { links_.refreshIfDue(now()); }

void Focus::setLinks(const QStringList& links)
{
    links_.setLinks(links);
    emit changed();
    evaluate();
}

QCoro::Task<> Focus::fetchLinks(QStringList links) { co_await links_.fetch(std::move(links)); }

// ---- The Shortcuts tool ----

QString Focus::shortcutsTool() { return QCoreApplication::applicationFilePath(); }

void Focus::runShortcutInBackground(const Platform& platform, const QString& name)
{
    if (name.isEmpty())
        return;
    // The service is taken here: the pool never reads the installed services,
    // which quitting takes away.
    Processes* processes = platform.processes;
    if (!processes)
        return;
    platform.clock->runInBackground(
        [processes, name] {
            processes->runWithoutOutput(shortcutsTool(), {QStringLiteral("shortcuts"), QStringLiteral("run"), name},
                                        kShortcutsTimeLimit);
        },
        nullptr, {});
}

QStringList Focus::shortcutNames(Processes* processes)
{
    if (!processes)
        return {};
    const auto listing =
        processes->run(shortcutsTool(), {QStringLiteral("shortcuts"), QStringLiteral("list")}, kShortcutsTimeLimit);
    return listing ? shortcutList(*listing) : QStringList();
}

QStringList Focus::shortcutList(const QByteArray& listing)
{
    QStringList names = QString::fromUtf8(listing).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tavrin
