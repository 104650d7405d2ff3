#include "planningfixture.h"

namespace tavrin::testing {

Clock::TimerId TestClock::schedule(double seconds, std::function<void()> fn)
{
    const TimerId id = next_++;
    timers_.emplace(std::pair{monotonic_ + std::max(seconds, 0.0), id}, std::move(fn));
    return id;
}

void TestClock::cancel(TimerId id)
{
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->first.second == id) {
            timers_.erase(it);
            return;
        }
    }
}

void TestClock::runInBackground(std::function<void()> work, QObject* context, std::function<void()> done)
{
    QPointer<QObject> guard(context);
    schedule(0, [work = std::move(work), done = std::move(done), guard, guarded = context != nullptr] {
        work();
        if (!guarded || guard)
            done();
    });
}

void TestClock::advance(double seconds)
{
    const double target = monotonic_ + std::max(seconds, 0.0);
    while (!timers_.empty() && timers_.begin()->first.first <= target) {
        auto first = timers_.begin();
        monotonic_ = first->first.first;
        auto fn = std::move(first->second);
        timers_.erase(first);
        fn();
    }
    monotonic_ = target;
}

std::optional<QVariant> TestDefaults::value(const QString& key) const
{
    const auto it = values_.constFind(key);
    if (it == values_.cend())
        return std::nullopt;
    return *it;
}

QCoro::Task<KeychainResult> TestKeychain::read(QString service, QString account)
{
    if (failure_)
        co_return KeychainResult{KeychainStatus::failed, {}, *failure_};
    const auto it = items_.constFind({service, account});
    if (it == items_.cend())
        co_return KeychainResult{KeychainStatus::notFound, {}, {}};
    co_return KeychainResult{KeychainStatus::ok, *it, {}};
}

QCoro::Task<KeychainResult> TestKeychain::write(QString service, QString account, QByteArray secret)
{
    if (failure_)
        co_return KeychainResult{KeychainStatus::failed, {}, *failure_};
    items_.insert({service, account}, secret);
    co_return KeychainResult{KeychainStatus::ok, {}, {}};
}

QCoro::Task<KeychainResult> TestKeychain::remove(QString service, QString account)
{
    if (failure_)
        co_return KeychainResult{KeychainStatus::failed, {}, *failure_};
    co_return KeychainResult{items_.remove({service, account}) ? KeychainStatus::ok : KeychainStatus::notFound, {}, {}};
}

std::optional<QByteArray> TestKeychain::item(const QString& service, const QString& account) const
{
    const auto it = items_.constFind({service, account});
    if (it == items_.cend())
        return std::nullopt;
    return *it;
}

bool processEventsUntil(const std::function<bool()>& done)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > 1000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

PlanRequest sampleRequest()
{
    PlanRequest r;
    r.request = QStringLiteral("Review the open pull request");
    r.display = {QStringLiteral("Studio Display"), 2.39};
    r.windows = {
        {QStringLiteral("Safari"), QStringLiteral("Pull request #12"), QStringLiteral("https://example.com/pr/12"),
         QStringList{QStringLiteral("CI run"), QStringLiteral("Design doc")}},
        {QStringLiteral("Code"), QStringLiteral("planner.cpp"), std::nullopt, std::nullopt},
        {QStringLiteral("Terminal"), QStringLiteral("zsh (minimised)"), std::nullopt, std::nullopt},
        {QStringLiteral("Messages"), QStringLiteral("Chat (hidden app)"), std::nullopt, std::nullopt},
    };
    return r;
}

PlanningTest::PlanningTest()
{
    services.defaults = &defaults;
    services.clock = &clock;
    services.http = &http;
    services.languageModel = &model;
    services.keychain = &keychainStore;
    services.log = &log;
    services.anthropicBase = server.base();
    services.tavrinAIBase = server.base();
}

} // namespace tavrin::testing
