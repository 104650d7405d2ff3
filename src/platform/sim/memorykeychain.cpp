#include "platform/sim/memorykeychain.h"

#include <qcoro/qcorosignal.h>

namespace tavrin {

std::optional<KeychainResult> MemoryKeychain::failed()
{
    ++calls_;
    if (!failure_)
        return std::nullopt;
    KeychainResult result{failureStatus_, {}, *failure_};
    result.cancelled = cancelled_;
    return result;
}

QCoro::Task<> MemoryKeychain::whileHeld()
{
    if (held_)
        co_await qCoro(this, &MemoryKeychain::released);
}

QCoro::Task<KeychainResult> MemoryKeychain::read(QString service, QString account)
{
    if (auto failure = failed())
        co_return *failure;
    const auto it = items_.constFind({service, account});
    if (it == items_.cend())
        co_return KeychainResult{KeychainStatus::notFound, {}, {}};
    co_return KeychainResult{KeychainStatus::ok, *it, {}};
}

QCoro::Task<KeychainResult> MemoryKeychain::write(QString service, QString account, QByteArray secret)
{
    co_await whileHeld();
    if (auto failure = failed())
        co_return *failure;
    items_.insert({service, account}, secret);
    co_return KeychainResult{KeychainStatus::ok, {}, {}};
}

QCoro::Task<KeychainResult> MemoryKeychain::remove(QString service, QString account)
{
    co_await whileHeld();
    if (auto failure = failed())
        co_return *failure;
    if (items_.remove({service, account}) == 0)
        co_return KeychainResult{KeychainStatus::notFound, {}, {}};
    co_return KeychainResult{KeychainStatus::ok, {}, {}};
}

QCoro::Task<KeychainResult> MemoryKeychain::exists(QString service, QString account)
{
    const bool there = items_.contains({service, account});
    const auto failure = failed();
    if (failure && failure->status != KeychainStatus::locked)
        co_return *failure;
    if (!there)
        co_return KeychainResult{KeychainStatus::notFound, {}, {}};
    co_return KeychainResult{failure ? KeychainStatus::locked : KeychainStatus::ok, {}, {}};
}

std::optional<QByteArray> MemoryKeychain::item(const QString& service, const QString& account) const
{
    const auto it = items_.constFind({service, account});
    if (it == items_.cend())
        return std::nullopt;
    return *it;
}

void MemoryKeychain::setItem(const QString& service, const QString& account, const QByteArray& secret)
{
    items_.insert({service, account}, secret);
}

} // namespace tavrin
