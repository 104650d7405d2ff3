// The Claude key in a real desktop keyring: gnome-keyring-daemon on a
// private session bus, locked and unlocked as a user's is; and a session
// without any keyring.
#include "planning/claudekeyplanner.h"
#include "planningfixture.h"
#include "platform/linux/desktopkeychain.h"
#include "support/keyringdaemon.h"

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// The keyring answers over the bus, in its own time on a loaded machine.
template <class T>
T wait(QCoro::Task<T> task)
{
    Pending<T> pending(std::move(task));
    EXPECT_TRUE(processEventsUntil([&] { return pending.done(); }, 20000)) << "the keyring did not answer";
    return pending.result();
}

class KeyringDaemonTest : public PlanningTest {
protected:
    void SetUp() override
    {
        if (!daemon.problem().isEmpty())
            GTEST_SKIP() << "no keyring daemon could be started here: " << daemon.problem().toStdString();
    }

    KeyringDaemon daemon;
    DesktopKeychain keychain{daemon.bus()};
    KeychainStore store{keychain, nullptr};
};

TEST_F(KeyringDaemonTest, SavesReadsUsesAndClearsTheKey)
{
    ASSERT_TRUE(wait(store.setClaudeKey(" sk-ant-real-keyring \n")).answered());
    // Read afresh from the keyring, not from this instance's memory.
    DesktopKeychain again(daemon.bus());
    KeychainStore fresh(again, nullptr);
    EXPECT_EQ(wait(fresh.claudeKey()), "sk-ant-real-keyring");

    ClaudeKeyPlanner planner(readingKeysFrom(fresh));
    answer(401, "{}");
    EXPECT_FALSE(wait(planner.plan(sampleRequest())).ok());
    ASSERT_EQ(server.received().size(), 1);
    EXPECT_EQ(server.received()[0].header("x-api-key"), "sk-ant-real-keyring");

    EXPECT_TRUE(wait(fresh.setClaudeKey({})).answered());
    EXPECT_EQ(wait(KeychainStore(again, nullptr).claudeKey()), std::nullopt);
    EXPECT_TRUE(fresh.claudeKeyKnown());
    EXPECT_TRUE(fresh.claudeKeyProblem().isEmpty());
}

// A locked keyring is not "no key"; once unlocked, the next read finds the
// key without a restart.
TEST_F(KeyringDaemonTest, ALockedKeyringIsSaidAndTheKeyReadOnceUnlocked)
{
    ASSERT_TRUE(wait(store.setClaudeKey("sk-ant-locked-away")).answered());
    ASSERT_TRUE(daemon.lock());

    DesktopKeychain later(daemon.bus());
    KeychainStore reader(later, nullptr);
    EXPECT_EQ(wait(reader.claudeKey()), std::nullopt);
    EXPECT_FALSE(reader.claudeKeyKnown());
    EXPECT_EQ(reader.claudeKeyProblem(), KeychainStore::lockedMessage());
    EXPECT_EQ(wait(reader.setClaudeKey("sk-ant-other")).status, KeychainStatus::locked);

    ASSERT_TRUE(daemon.unlock()) << daemon.problem().toStdString();
    EXPECT_EQ(wait(reader.claudeKey()), "sk-ant-locked-away");
    EXPECT_TRUE(reader.claudeKeyProblem().isEmpty());
}

// Views ask whether a key is there without reading it: a locked keyring
// stays locked (its prompt would take the keyboard), the key counts as there.
TEST_F(KeyringDaemonTest, WhetherAKeyIsThereIsAskedWithoutUnlocking)
{
    ASSERT_TRUE(wait(store.setClaudeKey("sk-ant-behind-the-lock")).answered());
    ASSERT_TRUE(daemon.lock());
    DesktopKeychain later(daemon.bus());
    KeychainStore reader(later, nullptr);
    QCoro::waitFor(reader.lookForClaudeKey());
    EXPECT_TRUE(reader.hasClaudeKey());
    EXPECT_TRUE(reader.claudeKeyLocked());
    EXPECT_TRUE(reader.claudeKeyProblem().isEmpty());
    EXPECT_TRUE(daemon.defaultKeyringLocked());

    // A plan reads it: here no prompt can show, so it stays locked, and
    // the planner says so in the bar's words.
    ClaudeKeyPlanner planner(readingKeysFrom(reader));
    const auto result = wait(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().message, KeychainStore::stayedLockedMessage());
    EXPECT_TRUE(server.received().isEmpty());

    ASSERT_TRUE(daemon.unlock()) << daemon.problem().toStdString();
    QCoro::waitFor(reader.lookForClaudeKey());
    EXPECT_TRUE(reader.hasClaudeKey());
    EXPECT_FALSE(reader.claudeKeyLocked());
    KeychainStore nobody(later, nullptr);
    ASSERT_TRUE(wait(nobody.setClaudeKey({})).answered());
    QCoro::waitFor(nobody.lookForClaudeKey());
    EXPECT_FALSE(nobody.hasClaudeKey());
    EXPECT_TRUE(nobody.claudeKeyKnown());
}

// gnome-keyring started without a login keyring (a plain openbox or xfwm4
// session): saving asks it to make one; where no prompt can show for its
// password, the keyring answers as for a cancelled prompt, and one plain
// sentence says the key wasn't saved and how to make a keyring.
TEST(KeyringWithoutLogin, SavingSaysPlainlyThatAKeyringIsMissingAndHowToMakeOne)
{
    KeyringDaemon daemon(KeyringDaemon::Keyring::withoutLogin);
    if (!daemon.problem().isEmpty())
        GTEST_SKIP() << "no keyring daemon could be started here: " << daemon.problem().toStdString();
    ASSERT_FALSE(daemon.defaultKeyringExists());
    DesktopKeychain keychain(daemon.bus());
    KeychainStore store(keychain, nullptr);
    const KeychainResult saved = wait(store.setClaudeKey("sk-ant-nowhere-yet"));
    EXPECT_EQ(saved.status, KeychainStatus::noCollection) << saved.message.toStdString();
    EXPECT_EQ(store.problemOf(saved), saved.cancelled ? store.cancelledMessage() : store.noCollectionMessage());
    EXPECT_FALSE(store.noCollectionMessage().contains("/org/freedesktop"));
    EXPECT_FALSE(daemon.defaultKeyringExists());
}

TEST(KeyringMissing, NoKeyringIsSaidAndNothingIsKept)
{
    KeyringDaemon bus(KeyringDaemon::Keyring::none);
    if (!bus.problem().isEmpty())
        GTEST_SKIP() << "no private bus: " << bus.problem().toStdString();
    DesktopKeychain keychain(bus.bus());
    KeychainStore store(keychain, nullptr);
    EXPECT_EQ(wait(store.setClaudeKey("sk-ant-nowhere")).status, KeychainStatus::noService);
    EXPECT_EQ(wait(store.claudeKey()), std::nullopt);
    EXPECT_EQ(store.claudeKeyProblem(), KeychainStore::noKeyringMessage());
}

} // namespace
