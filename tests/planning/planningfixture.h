#pragma once

#include "loopbackserver.h"
#include "planning/keychainstore.h"
#include "planning/planningservices.h"
#include "planning/requestlog.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/keychain.h"
#include "platform/linux/qthttpclient.h"
#include "platform/linux/unavailablelanguagemodel.h"
#include "platform/sim/simlanguagemodel.h"
#include "workspaces/planrequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace tavrin::testing {

// Virtual time: nothing runs until `advance`.
class TestClock : public Clock {
public:
    double now() const override { return wall_ + monotonic_; }
    double monotonic() const override { return monotonic_; }
    TimerId schedule(double seconds, std::function<void()> fn) override;
    void cancel(TimerId id) override;
    void runInBackground(std::function<void()> work, QObject* context, std::function<void()> done) override;
    void setNow(double referenceSeconds) { wall_ = referenceSeconds - monotonic_; }
    void advance(double seconds);

private:
    double wall_ = 818326800.0; // 2026-12-07 09:00 UTC
    double monotonic_ = 0;
    TimerId next_ = 1;
    std::map<std::pair<double, TimerId>, std::function<void()>> timers_;
};

class TestDefaults : public Defaults {
public:
    std::optional<QVariant> value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override { values_[key] = value; }
    void remove(const QString& key) override { values_.remove(key); }
    QStringList keys() const override { return values_.keys(); }
    std::optional<QVariant> foreignValue(const QString&, const QString&) const override { return std::nullopt; }

private:
    QMap<QString, QVariant> values_;
};

class TestKeychain : public Keychain {
public:
    QCoro::Task<KeychainResult> read(QString service, QString account) override;
    QCoro::Task<KeychainResult> write(QString service, QString account, QByteArray secret) override;
    QCoro::Task<KeychainResult> remove(QString service, QString account) override;
    void setFailure(const QString& message) { failure_ = message; }
    std::optional<QByteArray> item(const QString& service, const QString& account) const;
    void setItem(const QString& service, const QString& account, const QByteArray& secret)
    {
        items_.insert({service, account}, secret);
    }

private:
    QHash<QPair<QString, QString>, QByteArray> items_;
    std::optional<QString> failure_;
};

// Processes events until `done` holds or a second of real time has passed
// (loopback I/O only; no timer of the system runs on real time).
bool processEventsUntil(const std::function<bool()>& done);

// A task started now whose result is collected later.
template <class T> class Pending {
public:
    explicit Pending(QCoro::Task<T> task) : state_(std::make_shared<State>()) { run(std::move(task), state_); }
    bool done() const { return state_->value.has_value(); }
    // Waits for the loopback I/O to finish the task; fails the test otherwise.
    T result()
    {
        EXPECT_TRUE(processEventsUntil([this] { return done(); })) << "the task did not finish";
        return std::move(*state_->value);
    }

private:
    struct State {
        std::optional<T> value;
    };
    static QCoro::Task<> run(QCoro::Task<T> task, std::shared_ptr<State> state)
    {
        state->value.emplace(co_await std::move(task));
    }
    std::shared_ptr<State> state_;
};

template <class T> T finish(QCoro::Task<T> task) { return Pending<T>(std::move(task)).result(); }

// A request with four windows: a browser with two other tabs, an editor, a
// terminal and a chat application.
PlanRequest sampleRequest();

// Planning services on virtual time, a loopback server for both cloud
// planners and the simulated on-device model.
class PlanningTest : public ::testing::Test {
protected:
    PlanningTest();

    void setClaudeKey(const QByteArray& key) { keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, key); }
    void setTavrinToken(const QByteArray& token)
    {
        keychain.setItem(KeychainStore::kService, KeychainStore::kTavrinAITokenAccount, token);
    }
    void answer(int status, const QByteArray& body) { server.setReply({status, body, false}); }

    TestClock clock;
    TestDefaults defaults;
    TestKeychain keychain;
    KeychainStore keychainStore{keychain};
    RequestLog log{clock};
    QtHttpClient http{clock};
    SimLanguageModel model{clock};
    LoopbackServer server;
    PlanningServices services;
};

} // namespace tavrin::testing
