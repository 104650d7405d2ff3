#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"

#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

using namespace tavrin;

TEST(MemoryDefaults, MissingIsNotFalseAndEveryChangeIsAnnounced)
{
    MemoryDefaults defaults;
    QSignalSpy changed(&defaults, &Defaults::changed);
    EXPECT_FALSE(defaults.value(QStringLiteral("gap")));
    EXPECT_TRUE(defaults.boolValue(QStringLiteral("showSnapOverlay"), true));

    defaults.setValue(QStringLiteral("showSnapOverlay"), false);
    defaults.setValue(QStringLiteral("gap"), qint64(12));
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("showSnapOverlay"), true));
    EXPECT_EQ(defaults.integer(QStringLiteral("gap")), 12);
    EXPECT_EQ(defaults.keys(), (QStringList{"gap", "showSnapOverlay"}));

    defaults.remove(QStringLiteral("gap"));
    defaults.remove(QStringLiteral("gap"));                           // already gone: nothing to announce
    defaults.setValue(QStringLiteral("showSnapOverlay"), QVariant()); // an invalid value removes
    EXPECT_TRUE(defaults.keys().isEmpty());
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(changed.at(2).at(0).toString(), QStringLiteral("gap"));
}

// Converting a double of 2^63 or more to qint64 is undefined: once it made a
// usage counter of 1e19 read as the lowest integer.
TEST(MemoryDefaults, IntegersReadExactlyAndRealsClampToTheirRange)
{
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    const struct {
        QVariant stored;
        std::optional<qint64> read;
    } cases[] = {
        {QVariant(kMax), kMax}, // through a double it would be 2^63
        {QVariant(kMax - 1), kMax - 1},
        {QVariant(kMin), kMin},
        {QVariant(std::numeric_limits<quint64>::max()), kMax},
        {QVariant(1e19), kMax},
        {QVariant(9223372036854775808.0), kMax},
        {QVariant(-1e19), kMin},
        {QVariant(-9223372036854775808.0), kMin},
        {QVariant(3.9), 3},
        {QVariant(-3.9), -3},
        {QVariant(true), 1},
        {QVariant(std::numeric_limits<double>::infinity()), std::nullopt},
        {QVariant(std::nan("")), std::nullopt},
        {QVariant(QStringLiteral("12")), std::nullopt},
    };
    MemoryDefaults defaults;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        defaults.setValue(QStringLiteral("n"), c.stored);
        EXPECT_EQ(defaults.integer(QStringLiteral("n")), c.read);
    }
}

TEST(MemoryDefaults, ForeignDomainsAreSeparateAndReadOnlyToTheSystem)
{
    MemoryDefaults defaults;
    const QString wm = QStringLiteral("com.apple.WindowManager");
    defaults.setForeignValue(wm, QStringLiteral("EnableTilingByEdgeDrag"), true);
    EXPECT_EQ(defaults.foreignValue(wm, QStringLiteral("EnableTilingByEdgeDrag")), QVariant(true));
    EXPECT_FALSE(defaults.foreignValue(wm, QStringLiteral("EnableTopTilingByEdgeDrag")));
    EXPECT_FALSE(defaults.foreignValue(QStringLiteral("other"), QStringLiteral("EnableTilingByEdgeDrag")));
    EXPECT_FALSE(defaults.value(QStringLiteral("EnableTilingByEdgeDrag")));
    defaults.setForeignValue(wm, QStringLiteral("EnableTilingByEdgeDrag"), QVariant());
    EXPECT_FALSE(defaults.foreignValue(wm, QStringLiteral("EnableTilingByEdgeDrag")));
}

namespace {
// Runs a keychain call that completes at once and returns its result.
KeychainResult now(QCoro::Task<KeychainResult> task)
{
    std::optional<KeychainResult> out;
    auto collect = [&](QCoro::Task<KeychainResult> t) -> QCoro::Task<> { out = co_await t; };
    auto done = collect(std::move(task));
    EXPECT_TRUE(out.has_value());
    return out.value_or(KeychainResult{});
}
} // namespace

TEST(MemoryKeychain, ItemsAreAddedUpdatedAndRemovedByServiceAndAccount)
{
    MemoryKeychain keychain;
    const QString service = QStringLiteral("app.tavrin"), account = QStringLiteral("anthropic-api-key");
    EXPECT_EQ(now(keychain.read(service, account)).status, KeychainStatus::notFound);
    EXPECT_TRUE(now(keychain.write(service, account, "first")).ok());
    EXPECT_TRUE(now(keychain.write(service, account, "second")).ok());
    EXPECT_EQ(now(keychain.read(service, account)).data, QByteArray("second"));
    EXPECT_EQ(now(keychain.read(service, QStringLiteral("other"))).status, KeychainStatus::notFound);
    EXPECT_TRUE(now(keychain.remove(service, account)).ok());
    EXPECT_EQ(now(keychain.remove(service, account)).status, KeychainStatus::notFound);
}

TEST(MemoryKeychain, AFailingKeychainChangesNothingAndSaysWhy)
{
    MemoryKeychain keychain;
    keychain.setItem(QStringLiteral("s"), QStringLiteral("a"), "kept");
    keychain.setFailure(QStringLiteral("The keyring is locked."));
    const KeychainResult write = now(keychain.write(QStringLiteral("s"), QStringLiteral("a"), "lost"));
    EXPECT_EQ(write.status, KeychainStatus::failed);
    EXPECT_EQ(write.message, QStringLiteral("The keyring is locked."));
    EXPECT_EQ(now(keychain.remove(QStringLiteral("s"), QStringLiteral("a"))).status, KeychainStatus::failed);
    keychain.clearFailure();
    EXPECT_EQ(now(keychain.read(QStringLiteral("s"), QStringLiteral("a"))).data, QByteArray("kept"));
    EXPECT_EQ(keychain.callCount(), 3);
}
