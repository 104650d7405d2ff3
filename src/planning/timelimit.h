#pragma once

#include "platform/clock.h"

#include <coroutine>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

namespace timelimit_detail {

template <class T>
struct Race {
    std::optional<T> result;
    bool settled = false;
    std::coroutine_handle<> waiting;
    Clock::TimerId timer = 0;

    void settle()
    {
        settled = true;
        if (auto h = std::exchange(waiting, {}))
            h.resume();
    }

    // Refers back by pointer: awaiters are copied when awaited.
    struct Awaiter {
        Race* race;
        bool await_ready() const noexcept { return race->settled; }
        void await_suspend(std::coroutine_handle<> h) noexcept { race->waiting = h; }
        void await_resume() const noexcept {}
    };
};

// Runs `task` to its end; its result counts only if the limit has not passed.
template <class T>
QCoro::Task<> feed(QCoro::Task<T> task, std::shared_ptr<Race<T>> race, Clock* clock)
{
    T value = co_await std::move(task);
    if (race->settled)
        co_return;
    clock->cancel(race->timer);
    race->result = std::move(value);
    race->settle();
}

} // namespace timelimit_detail

// The result of `task`, or none when `seconds` pass on `clock` first. A task
// that loses runs on to its end and its result is dropped.
template <class T>
QCoro::Task<std::optional<T>> withTimeLimit(Clock& clock, double seconds, QCoro::Task<T> task)
{
    using Race = timelimit_detail::Race<T>;
    auto race = std::make_shared<Race>();
    race->timer = clock.schedule(seconds, [race] {
        if (!race->settled)
            race->settle();
    });
    timelimit_detail::feed(std::move(task), race, &clock);
    co_await typename Race::Awaiter{race.get()};
    co_return std::move(race->result);
}

} // namespace tavrin
