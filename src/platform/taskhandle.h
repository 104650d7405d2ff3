#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <utility>
#include <vector>

namespace tavrin {

// What a running task checks at its cancellation points, and what its waits
// listen to so that they end as soon as the task is cancelled.
class CancelToken {
public:
    using WakeId = std::uint64_t;

    // A token that is never cancelled.
    CancelToken() : state_(std::make_shared<State>()) {}

    bool isCancelled() const { return state_->cancelled; }

    // Runs `wake` once, inside the call that cancels the token; none (and
    // `wake` is dropped) when the token is cancelled already, so the caller
    // does not wait at all. `forget` takes it back unrun.
    std::optional<WakeId> onCancel(std::function<void()> wake) const;
    void forget(WakeId id) const;

private:
    friend class TaskHandle;
    friend class CancelSource;
    struct State {
        bool cancelled = false;
        WakeId nextId = 1;
        std::vector<std::pair<WakeId, std::function<void()>>> wakers;
    };

    // Marks the token cancelled and runs what waits on it.
    void cancel() const;

    std::shared_ptr<State> state_;
};

// The owning side of a token: cancels it when told, or when it goes, so
// that whatever waits on the token ends with its owner.
class CancelSource {
public:
    CancelSource() = default;
    CancelSource(const CancelSource&) = delete;
    CancelSource& operator=(const CancelSource&) = delete;
    ~CancelSource() { cancel(); }

    const CancelToken& token() const { return token_; }
    void cancel() { token_.cancel(); }

private:
    CancelToken token_;
};

// The one asynchronous task a component owns at a time. `start` cancels the
// current task first; `replace` lets it run on, uncancelled, and forgets it
// until the handle itself goes: then every task it started that is still
// running is cancelled. Cancellation is cooperative: the task sees it at its
// next check, and its waits on the token (sleeps, requests) end inside the
// call that cancels, so a cancelled task finishes without waiting for their
// events.
class TaskHandle {
public:
    using Body = std::function<QCoro::Task<>(CancelToken)>;

    TaskHandle() = default;
    TaskHandle(const TaskHandle&) = delete;
    TaskHandle& operator=(const TaskHandle&) = delete;
    ~TaskHandle();

    void start(Body body);
    void replace(Body body);
    void cancel();

    // Whether the task last started or replaced here has not finished yet.
    bool isRunning() const { return state_ && !*state_->done; }

private:
    struct State {
        CancelToken token;
        std::shared_ptr<bool> done = std::make_shared<bool>(false);
    };
    std::shared_ptr<State> state_;
    // Replaced tasks, which run on until they end or the handle goes.
    std::vector<std::shared_ptr<State>> replaced_;
};

} // namespace tavrin
