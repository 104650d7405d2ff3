#pragma once

#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>

namespace tavrin {

// What a running task checks at its cancellation points.
class CancelToken {
public:
    CancelToken() : cancelled_(std::make_shared<bool>(false)) {}
    bool isCancelled() const { return *cancelled_; }

private:
    friend class TaskHandle;
public:
    // A token observing an existing flag (for runners that keep the flag
    // themselves, as TaskHandle does).
    static CancelToken observing(std::shared_ptr<bool> flag) { return CancelToken(std::move(flag)); }

private:
    explicit CancelToken(std::shared_ptr<bool> flag) : cancelled_(std::move(flag)) {}
    std::shared_ptr<bool> cancelled_;
};

// The one asynchronous task a component owns at a time. `start` cancels the
// current task first; `replace` lets it run on, uncancelled, and forgets it.
// Cancellation is cooperative: the task sees it at its next check.
class TaskHandle {
public:
    using Body = std::function<QCoro::Task<>(CancelToken)>;

    TaskHandle() = default;
    TaskHandle(const TaskHandle&) = delete;
    TaskHandle& operator=(const TaskHandle&) = delete;
    ~TaskHandle() { cancel(); }

    void start(Body body);
    void replace(Body body);
    void cancel();

    // Whether the task last started or replaced here has not finished yet.
    bool isRunning() const { return state_ && !*state_->done; }

private:
    struct State {
        std::shared_ptr<bool> cancelled = std::make_shared<bool>(false);
        std::shared_ptr<bool> done = std::make_shared<bool>(false);
    };
    std::shared_ptr<State> state_;
};

} // namespace tavrin
