#pragma once

#include "platform/runningapp.h"
#include "platform/taskhandle.h"
#include "platform/timer.h"
#include "windows/display.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

class Clock;
class Defaults;
class WindowManager;
class Workspace;
struct Platform;

// Learns at what time of day the user usually opens each application (its
// first activation on a calendar day) and, when that time comes and the
// application is not open yet, offers it: opening it launches it and lays
// out the display in its usual layout. Days older than four weeks are
// dropped as the application is next opened. What it learns lives in the
// defaults as property-list dictionaries. Main thread only.
class Habits : public QObject {
    Q_OBJECT
    // A change counter, raised whenever what is stored changes and every
    // 180 s, so that views ask for the suggestion again.
    Q_PROPERTY(int tick READ tick NOTIFY tickChanged)
public:
    // When an application is usually opened: `minute` of the day (a multiple
    // of 5), agreed on by `days` days.
    struct Habit {
        QString app;
        int minute = 0;
        int days = 0;
        friend bool operator==(const Habit&, const Habit&) = default;
    };

    static inline const QString kOpensKey = QStringLiteral("habits.opens");
    static inline const QString kDismissedKey = QStringLiteral("habits.dismissed");
    // Applications whose openings say nothing of the user's day.
    static inline const QStringList kExcluded = {QStringLiteral("Finder"), QStringLiteral("Tavrin"),
                                                 QStringLiteral("System Settings"), QStringLiteral("Activity Monitor"),
                                                 QStringLiteral("Archive Utility")};
    static constexpr double kTickInterval = 180;
    // Days are kept for 28 days: the day exactly 28 days back survives.
    static constexpr qint64 kKeptSeconds = 2419200;
    // A habit needs this many days within 40 minutes of the middle one, and
    // that share of all days.
    static constexpr int kMinimumDays = 4;
    static constexpr int kSpreadMinutes = 40;
    static constexpr double kMinimumShare = 0.6;
    // It is offered from 15 minutes before its time until 45 minutes after.
    static constexpr int kOfferBefore = 15;
    static constexpr int kOfferAfter = 45;
    // Opening waits this long, this many times at most, for a first window.
    static constexpr double kWindowWait = 0.25;
    static constexpr int kWindowWaits = 20;

    // Lays out with `windows`; keeps what it learns in the platform's
    // defaults and watches its workspace on its clock.
    Habits(WindowManager& windows, const Platform& platform, QObject* parent = nullptr);
    ~Habits() override;

    // Records the application in front now and every activation from now on,
    // and raises the tick every 180 s; a second call does nothing.
    void start();
    bool isStarted() const { return started_; }

    int tick() const { return tick_; }
    // Makes observers read the habits again.
    void raiseTick();

    // Every application's habit, earliest first (equal minutes by name).
    QList<Habit> habits() const;
    // The first habit due now (from 15 minutes before its time to 45 after,
    // within the day) whose application is not opened today, not dismissed
    // today, shows no window and can be found; else none.
    std::optional<Habit> suggestion() const;
    // Offers the habit no more today.
    void dismiss(const Habit& habit);
    // Launches the habit's application and then lays out the display that was
    // focused when asked; nothing when the application cannot be found. An
    // opening made meanwhile does not cancel an earlier one's layout.
    void open(const Habit& habit);
    // Forgets every habit and dismissal.
    void reset();

    // The day key ("2026-12-07") and the minute of the day of a moment, in
    // the local calendar.
    static QString dayKey(const QDateTime& moment);
    static int minuteOfDay(const QDateTime& moment);

signals:
    void tickChanged();

private:
    void record(const RunningApp& app);
    QDateTime now() const;
    // Where the application of this name is installed: a running one's
    // location, else the installed one's; empty when there is none.
    QString location(const QString& app) const;
    static std::optional<Habit> habitOf(const QString& app, const QVariantMap& days);
    std::optional<RunningApp> runningAt(const QString& location) const;
    QVariantMap opens() const;
    QVariantMap dismissals() const;

    WindowManager& windows_;
    Defaults& defaults_;
    Workspace& workspace_;
    Clock& clock_;
    int tick_ = 0;
    bool started_ = false;
    QPointer<Timer> timer_;
    TaskHandle opening_;
};

} // namespace tavrin
