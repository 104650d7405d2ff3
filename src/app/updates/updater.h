#pragma once

#include "app/updates/updatecontroller.h"

#include <QObject>
#include <QString>
#include <optional>

namespace tavrin {

class Defaults;
class Workspace;
struct Platform;

// Software updates: owns the updater, created without starting and started
// once (at launch, or by the first check the user asks for), lets the user
// check now, publishes whether a check can start, and answers the updater's
// two questions (the feed address and gentle reminders). Main thread only.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheck READ canCheck NOTIFY canCheckChanged)
public:
    static inline const QString kTestFeedKey = QStringLiteral("updates.testFeed");

    // Works with the platform's settings, clock, network and workspace
    // (each may be missing: no test feed, no scheduled checks, no network,
    // nothing brought forward).
    explicit Updater(const Platform& platform, QObject* parent = nullptr);

    UpdateController* controller() const { return controller_; }
    bool isStarted() const { return started_; }
    // Starts the updater, once; later calls do nothing.
    void start();
    // Starts the updater if need be, brings the application forward and
    // checks now.
    void checkForUpdates();
    // A check can start now; false until the updater first reports.
    bool canCheck() const { return canCheck_; }

    // The feed to read instead of the declared one: "updates.testFeed" when
    // it is a loopback test feed, else none.
    std::optional<QString> feedURLString() const;
    static bool supportsGentleScheduledUpdateReminders() { return true; }
    // A test feed: an http address on 127.0.0.1 with an explicit port and
    // no user part.
    static bool isLoopbackFeed(const QString& address);

    // "Tavrin " and the running version, or "Tavrin ?" when there is none.
    static QString versionString();

signals:
    void canCheckChanged(bool canCheck);

private:
    void setCanCheck(bool can);

    Defaults* defaults_;
    Workspace* workspace_;
    UpdateController* controller_ = nullptr;
    bool started_ = false;
    bool canCheck_ = false;
};

} // namespace tavrin
