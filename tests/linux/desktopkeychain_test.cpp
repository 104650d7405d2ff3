#include "platform/linux/desktopkeychain.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLibrary>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {

// Why the desktop keyring can't be used here, or empty when it can. QtKeychain
// reaches the secret service through libsecret.
QString keyringMissing()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QStringLiteral("no D-Bus session bus");
    if (!bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")))
        return QStringLiteral("no secret service (org.freedesktop.secrets) on the session bus");
    QLibrary libsecret(QStringLiteral("secret-1"), 0);
    if (!libsecret.load())
        return QStringLiteral("libsecret-1 is not installed");
    return {};
}

class DesktopKeychainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = keyringMissing(); !why.isEmpty())
            GTEST_SKIP() << "desktop keyring not reachable: " << why.toStdString();
    }
    void TearDown() override
    {
        if (!IsSkipped())
            QCoro::waitFor(DesktopKeychain().remove(service, QStringLiteral("token")));
    }

    const QString service = QStringLiteral("org.tavrin.tests.") + QUuid::createUuid().toString(QUuid::WithoutBraces);
};

TEST_F(DesktopKeychainTest, WritesReadsAndRemovesBinarySecrets)
{
    const QByteArray secret("\x00\xffsecret\n\x01", 10);
    DesktopKeychain keychain;
    EXPECT_EQ(QCoro::waitFor(keychain.read(service, QStringLiteral("token"))).status, KeychainStatus::notFound);

    const KeychainResult written = QCoro::waitFor(keychain.write(service, QStringLiteral("token"), secret));
    ASSERT_TRUE(written.ok()) << written.message.toStdString();
    // A repeated read answers from memory, at once.
    auto cached = keychain.read(service, QStringLiteral("token"));
    ASSERT_TRUE(cached.isReady());
    EXPECT_EQ(QCoro::waitFor(cached).data, secret);

    // A fresh instance reads what the keyring holds.
    DesktopKeychain other;
    const KeychainResult fromKeyring = QCoro::waitFor(other.read(service, QStringLiteral("token")));
    ASSERT_TRUE(fromKeyring.ok()) << fromKeyring.message.toStdString();
    EXPECT_EQ(fromKeyring.data, secret);

    // Updating an existing item.
    ASSERT_TRUE(QCoro::waitFor(other.write(service, QStringLiteral("token"), "second")).ok());
    EXPECT_EQ(QCoro::waitFor(DesktopKeychain().read(service, QStringLiteral("token"))).data, QByteArray("second"));

    EXPECT_EQ(QCoro::waitFor(keychain.remove(service, QStringLiteral("token"))).status, KeychainStatus::ok);
    EXPECT_EQ(QCoro::waitFor(keychain.read(service, QStringLiteral("token"))).status, KeychainStatus::notFound);
    EXPECT_EQ(QCoro::waitFor(keychain.remove(service, QStringLiteral("token"))).status, KeychainStatus::notFound);
}

TEST_F(DesktopKeychainTest, AReadOvertakenByARemovalDoesNotCacheTheOldValue)
{
    ASSERT_TRUE(QCoro::waitFor(DesktopKeychain().write(service, QStringLiteral("token"), "old")).ok());
    DesktopKeychain keychain;
    auto read = keychain.read(service, QStringLiteral("token"));
    auto removal = keychain.remove(service, QStringLiteral("token"));
    EXPECT_EQ(QCoro::waitFor(read).data, QByteArray("old"));
    EXPECT_TRUE(QCoro::waitFor(removal).ok());
    EXPECT_EQ(QCoro::waitFor(keychain.read(service, QStringLiteral("token"))).status, KeychainStatus::notFound);
}

// Where no keyring runs (CI), secrets are refused rather than kept anywhere
// else, and the answer says there is no keyring.
TEST(DesktopKeychainWithoutKeyringTest, WritesFailWithAMessage)
{
    if (keyringMissing().isEmpty())
        GTEST_SKIP() << "a desktop keyring is reachable here";
    DesktopKeychain keychain;
    auto write = keychain.write(QStringLiteral("org.tavrin.tests"), QStringLiteral("token"), "secret");
    ASSERT_TRUE(QTest::qWaitFor([&] { return write.isReady(); }, 5000));
    const KeychainResult result = QCoro::waitFor(write);
    EXPECT_EQ(result.status, KeychainStatus::noService); // not a locked keyring: none at all
    auto read = keychain.read(QStringLiteral("org.tavrin.tests"), QStringLiteral("token"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return read.isReady(); }, 5000));
    EXPECT_FALSE(QCoro::waitFor(read).ok());
}

} // namespace
