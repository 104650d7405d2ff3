#include "platform/linux/desktopkeychain.h"
#include "support/keyringdaemon.h"

#include <QLibrary>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {

// A keyring of the test's own (gnome-keyring-daemon on a private bus, with an
// unlocked login keyring): what the machine's session holds, if anything,
// changes nothing here. QtKeychain reaches it through libsecret.
class DesktopKeychainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!daemon.problem().isEmpty())
            GTEST_SKIP() << "no keyring daemon could be started here: " << daemon.problem().toStdString();
        QLibrary libsecret(QStringLiteral("secret-1"), 0);
        if (!libsecret.load())
            GTEST_SKIP() << "libsecret-1 is not installed";
    }
    void TearDown() override
    {
        if (!IsSkipped())
            QCoro::waitFor(DesktopKeychain(daemon.bus()).remove(service, QStringLiteral("token")));
    }

    KeyringDaemon daemon;
    const QString service = QStringLiteral("org.tavrin.tests.") + QUuid::createUuid().toString(QUuid::WithoutBraces);
};

TEST_F(DesktopKeychainTest, WritesReadsAndRemovesBinarySecrets)
{
    const QByteArray secret("\x00\xffsecret\n\x01", 10);
    DesktopKeychain keychain(daemon.bus());
    EXPECT_EQ(QCoro::waitFor(keychain.read(service, QStringLiteral("token"))).status, KeychainStatus::notFound);

    const KeychainResult written = QCoro::waitFor(keychain.write(service, QStringLiteral("token"), secret));
    ASSERT_TRUE(written.ok()) << written.message.toStdString();
    // A repeated read answers from memory, at once.
    auto cached = keychain.read(service, QStringLiteral("token"));
    ASSERT_TRUE(cached.isReady());
    EXPECT_EQ(QCoro::waitFor(cached).data, secret);

    // A fresh instance reads what the keyring holds.
    DesktopKeychain other(daemon.bus());
    const KeychainResult fromKeyring = QCoro::waitFor(other.read(service, QStringLiteral("token")));
    ASSERT_TRUE(fromKeyring.ok()) << fromKeyring.message.toStdString();
    EXPECT_EQ(fromKeyring.data, secret);

    // Updating an existing item.
    ASSERT_TRUE(QCoro::waitFor(other.write(service, QStringLiteral("token"), "second")).ok());
    EXPECT_EQ(QCoro::waitFor(DesktopKeychain(daemon.bus()).read(service, QStringLiteral("token"))).data,
              QByteArray("second"));

    EXPECT_EQ(QCoro::waitFor(keychain.remove(service, QStringLiteral("token"))).status, KeychainStatus::ok);
    EXPECT_EQ(QCoro::waitFor(keychain.read(service, QStringLiteral("token"))).status, KeychainStatus::notFound);
    EXPECT_EQ(QCoro::waitFor(keychain.remove(service, QStringLiteral("token"))).status, KeychainStatus::notFound);
}

TEST_F(DesktopKeychainTest, AReadOvertakenByARemovalDoesNotCacheTheOldValue)
{
    ASSERT_TRUE(QCoro::waitFor(DesktopKeychain(daemon.bus()).write(service, QStringLiteral("token"), "old")).ok());
    DesktopKeychain keychain(daemon.bus());
    auto read = keychain.read(service, QStringLiteral("token"));
    auto removal = keychain.remove(service, QStringLiteral("token"));
    EXPECT_EQ(QCoro::waitFor(read).data, QByteArray("old"));
    EXPECT_TRUE(QCoro::waitFor(removal).ok());
    EXPECT_EQ(QCoro::waitFor(keychain.read(service, QStringLiteral("token"))).status, KeychainStatus::notFound);
}

// Where no keyring runs (a bus without one), secrets are refused rather than
// kept anywhere else, and the answer says there is no keyring.
TEST(DesktopKeychainWithoutKeyringTest, WritesFailWithAMessage)
{
    KeyringDaemon bus(KeyringDaemon::Keyring::none);
    if (!bus.problem().isEmpty())
        GTEST_SKIP() << "no bus could be started here: " << bus.problem().toStdString();
    DesktopKeychain keychain(bus.bus());
    auto write = keychain.write(QStringLiteral("org.tavrin.tests"), QStringLiteral("token"), "secret");
    ASSERT_TRUE(QTest::qWaitFor([&] { return write.isReady(); }, 5000));
    const KeychainResult result = QCoro::waitFor(write);
    EXPECT_EQ(result.status, KeychainStatus::noService); // not a locked keyring: none at all
    auto read = keychain.read(QStringLiteral("org.tavrin.tests"), QStringLiteral("token"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return read.isReady(); }, 5000));
    EXPECT_FALSE(QCoro::waitFor(read).ok());
}

} // namespace
