#include "snapping/learning/habits.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "platform/workspace.h"
#include "snapping/learning/storedvalues.h"
#include "windows/axwindow.h"
#include "windows/windowmanager.h"

#include <QSet>
#include <algorithm>

namespace tavrin {

namespace {
bool isOpens(const QVariant& value) { return stored::isDictionaryOf(value, stored::isIntegerDictionary); }
} // namespace

Habits::Habits(WindowManager& windows, const Platform& platform, QObject* parent)
    : QObject(parent),
      windows_(windows),
      defaults_(*platform.defaults),
      workspace_(*platform.workspace),
      clock_(*platform.clock)
{}

QVariantMap Habits::opens() const { return stored::dictionary(defaults_, kOpensKey, stored::isIntegerDictionary); }

QVariantMap Habits::dismissals() const { return stored::dictionary(defaults_, kDismissedKey, stored::isString); }

std::optional<RunningApp> Habits::runningAt(const QString& location) const
{
    for (const RunningApp& app : workspace_.runningApplications())
        if (app.bundleLocation == location)
            return app;
    return std::nullopt;
}

Habits::~Habits() = default;

QDateTime Habits::now() const { return clock_.nowDate().toLocalTime(); }

QString Habits::dayKey(const QDateTime& moment)
{
    const QDate d = moment.toLocalTime().date();
    return QString::asprintf("%04d-%02d-%02d", d.year(), d.month(), d.day());
}

int Habits::minuteOfDay(const QDateTime& moment)
{
    const QTime t = moment.toLocalTime().time();
    return t.hour() * 60 + t.minute();
}

void Habits::raiseTick()
{
    ++tick_;
    emit tickChanged();
}

void Habits::start()
{
    if (started_)
        return;
    started_ = true;
    connect(&workspace_, &Workspace::applicationActivated, this, &Habits::record);
    if (const auto front = workspace_.frontmostApplication())
        record(*front);
    timer_ = new Timer(clock_, this);
    connect(timer_, &Timer::timeout, this, &Habits::raiseTick);
    timer_->startRepeating(kTickInterval);
}

void Habits::record(const RunningApp& app)
{
    if (app.activationPolicy != ActivationPolicy::regular || app.pid == workspace_.currentPid()
        || app.localizedName.isEmpty() || kExcluded.contains(app.localizedName))
        return;
    const QDateTime moment = now();
    const QString today = dayKey(moment);
    QVariantMap all = opens();
    QVariantMap days = all.value(app.localizedName).toMap();
    // Only the first activation of the day counts.
    if (days.contains(today))
        return;
    days.insert(today, qint64(minuteOfDay(moment)));
    // Day keys sort in date order as plain strings.
    const QString oldest = dayKey(moment.addSecs(-kKeptSeconds));
    for (auto it = days.begin(); it != days.end();)
        it = it.key() < oldest ? days.erase(it) : std::next(it);
    all.insert(app.localizedName, days);
    stored::write(defaults_, kOpensKey, all, isOpens);
    raiseTick();
}

std::optional<Habits::Habit> Habits::habitOf(const QString& app, const QVariantMap& days)
{
    std::vector<int> minutes;
    for (const QVariant& m : days)
        minutes.push_back(int(std::clamp<qint64>(m.toLongLong(), -100000, 100000)));
    std::sort(minutes.begin(), minutes.end());
    const int n = int(minutes.size());
    if (n < kMinimumDays)
        return std::nullopt;
    const int reference = minutes[std::size_t(n / 2)];
    int count = 0, sum = 0;
    for (int m : minutes) {
        if (std::abs(m - reference) <= kSpreadMinutes) {
            ++count;
            sum += m;
        }
    }
    if (count < kMinimumDays || double(count) / n < kMinimumShare)
        return std::nullopt;
    const int mean = sum / count;
    return Habit{app, (mean + 2) / 5 * 5, count};
}

QList<Habits::Habit> Habits::habits() const
{
    QList<Habit> out;
    const QVariantMap all = opens();
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (auto habit = habitOf(it.key(), it->toMap()))
            out << *habit;
    // The dictionary gives names in order, so equal minutes stay by name.
    std::stable_sort(out.begin(), out.end(), [](const Habit& a, const Habit& b) { return a.minute < b.minute; });
    return out;
}

QString Habits::location(const QString& app) const
{
    for (const RunningApp& running : workspace_.runningApplications())
        if (running.localizedName == app && !running.bundleLocation.isEmpty())
            return running.bundleLocation;
    return workspace_.applicationLocation(app);
}

std::optional<Habits::Habit> Habits::suggestion() const
{
    const QDateTime moment = now();
    const int minute = minuteOfDay(moment);
    const QString today = dayKey(moment);
    const QVariantMap dismissed = dismissals();
    const QVariantMap all = opens();
    // Asked of Accessibility only once a habit is otherwise due.
    std::optional<QSet<QString>> onScreen;
    for (const Habit& habit : habits()) {
        if (minute < habit.minute - kOfferBefore || minute > habit.minute + kOfferAfter)
            continue;
        if (all.value(habit.app).toMap().contains(today) || dismissed.value(habit.app).toString() == today)
            continue;
        if (!onScreen) {
            onScreen.emplace();
            for (const AXWindow& w : AXWindow::onScreenInZOrder())
                onScreen->insert(w.app.localizedName);
        }
        if (onScreen->contains(habit.app) || location(habit.app).isEmpty())
            continue;
        return habit;
    }
    return std::nullopt;
}

void Habits::dismiss(const Habit& habit)
{
    QVariantMap dismissed = dismissals();
    dismissed.insert(habit.app, dayKey(now()));
    defaults_.setValue(kDismissedKey, dismissed);
    raiseTick();
}

void Habits::open(const Habit& habit)
{
    const QString at = location(habit.app);
    if (at.isEmpty())
        return;
    // The display the user was on, before the launch changes the focus.
    const std::optional<Display> display = windows_.focusedContext();
    // An earlier opening still waiting for its window keeps its own display
    // to lay out: the new one runs beside it.
    opening_.replace([self = QPointer<Habits>(this), at, display, &workspace = workspace_,
                      &clock = clock_](CancelToken token) -> QCoro::Task<> {
        if (!workspace.launchApplication(at))
            co_return;
        for (int wait = 0; wait < kWindowWaits; ++wait) {
            co_await clock.sleep(kWindowWait, token);
            if (!self || token.isCancelled())
                co_return;
            if (const auto app = self->runningAt(at); app && !AXWindow::windows(*app).empty())
                break;
        }
        // Arranged whether or not a window came: as the usual-layout shortcut does.
        if (display)
            self->windows_.applyLayout(self->windows_.usualLayout(*display), false, *display);
    });
    raiseTick();
}

void Habits::reset()
{
    defaults_.remove(kOpensKey);
    defaults_.remove(kDismissedKey);
    raiseTick();
}

} // namespace tavrin
