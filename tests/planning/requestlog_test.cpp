#include "planningfixture.h"

#include <QSignalSpy>

using namespace tavrin;
using namespace tavrin::testing;

TEST(RequestLog, KeepsTheTwentyNewestEntriesNewestFirst)
{
    SimClock clock;
    RequestLog log(clock);
    QSignalSpy changed(&log, &RequestLog::entriesChanged);
    QUuid first;
    for (int i = 0; i < 25; ++i) {
        const QUuid id = log.record("Tavrin AI", QString::number(i), "host/v1/plan", "{}", 2);
        if (i == 0)
            first = id;
        clock.advance(1);
    }
    EXPECT_EQ(changed.size(), 25);
    ASSERT_EQ(log.entries().size(), 20);
    EXPECT_EQ(log.entries().first().typed, "24");
    EXPECT_EQ(log.entries().last().typed, "5");
    EXPECT_GT(log.entries().first().date, log.entries().last().date);
    EXPECT_EQ(log.entries().first().date, Clock::dateFromReference(clock.now() - 1));
    for (const auto& entry : log.entries())
        EXPECT_EQ(entry.outcome.kind, RequestLog::Outcome::Kind::waiting);

    // An entry that was dropped can no longer be settled.
    log.setOutcome(first, RequestLog::Outcome::ok());
    EXPECT_EQ(changed.size(), 25);

    const QUuid newest = log.entries().first().id;
    log.setOutcome(newest, RequestLog::Outcome::failed("Nope."));
    EXPECT_EQ(log.entries().first().outcome, RequestLog::Outcome::failed("Nope."));
    EXPECT_EQ(log.entries()[1].outcome.kind, RequestLog::Outcome::Kind::waiting);
    EXPECT_EQ(changed.size(), 26);
}

TEST(KeychainStore, KeepsSecretsUnderTheApplicationsIdentifier)
{
    MemoryKeychain keychain;
    KeychainStore store(keychain, nullptr);
    QSignalSpy changed(&store, &KeychainStore::hasClaudeKeyChanged);
    EXPECT_FALSE(store.claudeKeyKnown());
    EXPECT_EQ(finish(store.claudeKey()), std::nullopt);
    EXPECT_TRUE(store.claudeKeyKnown()); // known: there is none
    EXPECT_FALSE(store.hasClaudeKey());

    EXPECT_TRUE(finish(store.setClaudeKey("  sk-ant-1 \n")).answered());
    EXPECT_EQ(keychain.item("app.tavrin", "anthropic-api-key"), "sk-ant-1");
    EXPECT_TRUE(store.hasClaudeKey());
    EXPECT_EQ(finish(store.claudeKey()), "sk-ant-1");

    EXPECT_TRUE(finish(store.setClaudeKey("")).answered());
    EXPECT_FALSE(keychain.item("app.tavrin", "anthropic-api-key"));
    EXPECT_FALSE(store.hasClaudeKey());
    EXPECT_EQ(changed.size(), 3);

    EXPECT_TRUE(finish(store.setTavrinAIToken("tok")));
    EXPECT_EQ(keychain.item("app.tavrin", "tavrin-ai-token"), "tok");
    EXPECT_EQ(finish(store.tavrinAIToken()), "tok");

    keychain.setItem("app.tavrin", "anthropic-api-key", " \n");
    EXPECT_EQ(finish(store.claudeKey()), std::nullopt); // white space is no key
}

// A locked keyring, or none at all, is not "no key": the store says why it
// couldn't read, and the next read asks again.
TEST(KeychainStore, AKeyringThatCannotAnswerIsNotNoKey)
{
    const struct {
        KeychainStatus status;
        QString message;
        QString problem;
    } cases[] = {
        {KeychainStatus::locked, {}, KeychainStore::lockedMessage()},
        {KeychainStatus::noService, {}, KeychainStore::noKeyringMessage()},
        {KeychainStatus::failed, "Timed out", "Your keyring couldn't be read: Timed out"},
    };
    for (const auto& c : cases) {
        MemoryKeychain keychain;
        keychain.setItem("app.tavrin", "anthropic-api-key", "sk-ant-1");
        KeychainStore store(keychain, nullptr);
        keychain.setFailure(c.message, c.status);
        EXPECT_EQ(finish(store.claudeKey()), std::nullopt);
        EXPECT_FALSE(store.claudeKeyKnown());
        EXPECT_EQ(store.claudeKeyProblem(), c.problem);
        EXPECT_EQ(finish(store.setClaudeKey("sk-ant-2")).status, c.status);

        keychain.clearFailure(); // unlocked, or started
        EXPECT_EQ(finish(store.claudeKey()), "sk-ant-1");
        EXPECT_TRUE(store.hasClaudeKey());
        EXPECT_TRUE(store.claudeKeyProblem().isEmpty());
    }
}

TEST(KeychainStore, MakesTheInstanceIdOnceAndKeepsIt)
{
    MemoryKeychain keychain;
    KeychainStore store(keychain, nullptr);
    const QString id = finish(store.instanceId());
    EXPECT_FALSE(QUuid::fromString(id).isNull());
    EXPECT_EQ(keychain.item("app.tavrin", "tavrin-instance"), id.toUtf8());
    EXPECT_EQ(finish(store.instanceId()), id);

    // Another run reads the kept id.
    KeychainStore later(keychain, nullptr);
    EXPECT_EQ(finish(later.instanceId()), id);
}

TEST(KeychainStore, AnUnreadableKeychainIsNeverOverwritten)
{
    MemoryKeychain keychain;
    keychain.setItem("app.tavrin", "tavrin-instance", "kept-id");
    keychain.setFailure("locked");
    KeychainStore store(keychain, nullptr);
    const QString id = finish(store.instanceId());
    EXPECT_NE(id, "kept-id");
    EXPECT_EQ(finish(store.instanceId()), id); // the same for this run
    EXPECT_EQ(keychain.item("app.tavrin", "tavrin-instance"), "kept-id");
    EXPECT_EQ(finish(store.claudeKey()), std::nullopt);
    EXPECT_FALSE(finish(store.setClaudeKey("sk")).answered());
}
