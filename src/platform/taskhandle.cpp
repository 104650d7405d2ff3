#include "platform/taskhandle.h"

namespace tavrin {

namespace {
// Keeps the body (often a capturing lambda, whose captures the coroutine
// reads through its closure) alive in its own frame until the task ends.
QCoro::Task<> runToEnd(TaskHandle::Body body, CancelToken token, std::shared_ptr<bool> done)
{
    co_await body(std::move(token));
    *done = true;
}
} // namespace

void TaskHandle::start(Body body)
{
    cancel();
    replace(std::move(body));
}

void TaskHandle::replace(Body body)
{
    auto state = std::make_shared<State>();
    state_ = state;
    // The coroutine runs eagerly up to its first suspension; the wrapper is
    // detached when its task object goes out of scope and marks the end.
    runToEnd(std::move(body), CancelToken::observing(state->cancelled), state->done);
}

void TaskHandle::cancel()
{
    if (state_)
        *state_->cancelled = true;
    state_.reset();
}

} // namespace tavrin
