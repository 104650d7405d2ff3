#pragma once

#include "planning/keychainstore.h"
#include "planning/planningservices.h"
#include "planning/requestlog.h"
#include "platform/linux/qthttpclient.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simlanguagemodel.h"
#include "support/loopbackserver.h"
#include "workspaces/planrequest.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace tavrin::testing {

// A task started now whose result is collected later.
template <class T>
class Pending {
public:
    explicit Pending(QCoro::Task<T> task) : state_(std::make_shared<State>()) { run(std::move(task), state_); }
    bool done() const { return state_->value.has_value(); }
    // Waits for the loopback I/O to finish the task. A task that never
    // finishes has no result to hand back: the test program stops there.
    T result()
    {
        if (!processEventsUntil([this] { return done(); })) {
            ADD_FAILURE() << "the task did not finish";
            std::fflush(stdout);
            std::abort();
        }
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

template <class T>
T finish(QCoro::Task<T> task)
{
    return Pending<T>(std::move(task)).result();
}

// A request with four windows: a browser with two other tabs, an editor, a
// terminal and a chat application.
PlanRequest sampleRequest();

// Planning services on virtual time, a loopback server for both cloud
// planners and the simulated on-device model.
class PlanningTest : public ::testing::Test {
protected:
    void setClaudeKey(const QByteArray& key)
    {
        keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, key);
    }
    void setTavrinToken(const QByteArray& token)
    {
        keychain.setItem(KeychainStore::kService, KeychainStore::kTavrinAITokenAccount, token);
    }
    void answer(int status, const QByteArray& body) { server.setReply({status, body, false}); }

    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    KeychainStore keychainStore{keychain, nullptr};
    RequestLog log{clock};
    QtHttpClient http{clock};
    SimLanguageModel model{clock};
    LoopbackServer server;
    PlanningServices services{.defaults = defaults,
                              .clock = clock,
                              .http = &http,
                              .languageModel = &model,
                              .keychain = keychainStore,
                              .log = log,
                              .anthropicBase = server.base(),
                              .tavrinAIBase = server.base()};

    // The services, with the keys read from `store`.
    PlanningServices readingKeysFrom(KeychainStore& store) const;
};

} // namespace tavrin::testing
