#include "platform/taskhandle.h"

namespace tavrin {

std::optional<CancelToken::WakeId> CancelToken::onCancel(std::function<void()> wake) const
{
    if (state_->cancelled)
        return std::nullopt;
    const WakeId id = state_->nextId++;
    state_->wakers.emplace_back(id, std::move(wake));
    return id;
}

void CancelToken::forget(WakeId id) const
{
    auto& wakers = state_->wakers;
    std::erase_if(wakers, [id](const auto& waker) { return waker.first == id; });
}

void CancelToken::cancel() const
{
    if (state_->cancelled)
        return;
    state_->cancelled = true;
    // A woken task may run to its end here and drop the last reference to
    // the state: hold it, and run the list taken out of it.
    const std::shared_ptr<State> keep = state_;
    auto wakers = std::exchange(keep->wakers, {});
    for (auto& [id, wake] : wakers)
        wake();
}

namespace {
// Keeps the body (often a capturing lambda, whose captures the coroutine
// reads through its closure) alive in its own frame until the task ends.
QCoro::Task<> runToEnd(TaskHandle::Body body, CancelToken token, std::shared_ptr<bool> done)
{
    co_await body(std::move(token));
    *done = true;
}
} // namespace

TaskHandle::~TaskHandle()
{
    cancel();
    for (const std::shared_ptr<State>& state : std::exchange(replaced_, {}))
        state->token.cancel();
}

void TaskHandle::start(Body body)
{
    cancel();
    replace(std::move(body));
}

void TaskHandle::replace(Body body)
{
    std::erase_if(replaced_, [](const std::shared_ptr<State>& s) { return *s->done; });
    if (state_ && !*state_->done)
        replaced_.push_back(state_);
    auto state = std::make_shared<State>();
    state_ = state;
    // The coroutine runs eagerly up to its first suspension; the wrapper is
    // detached when its task object goes out of scope and marks the end.
    runToEnd(std::move(body), state->token, state->done);
}

void TaskHandle::cancel()
{
    // Forgotten first: a task woken here may start another on this handle.
    if (const std::shared_ptr<State> state = std::exchange(state_, nullptr))
        state->token.cancel();
}

} // namespace tavrin
