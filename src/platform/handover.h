#pragma once

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tavrin {

// Work one thread hands to the event loop of the thread an object lives on,
// waiting a bounded time for its answer: that thread may be busy or quitting,
// and the waiting one must go on. Giving up leaves the work queued there, to
// come up whenever that thread runs its loop again, after the waiting
// thread's frame is gone. So:
// - The work must own what it uses (capture by value, or shared state),
//   never the waiting thread's locals; its answer travels in state both
//   threads hold.
// - Work whose turn comes after it was given up never runs: nothing happens
//   that the caller was told did not.
// - Work that has begun when the time is up is waited for to its end, so its
//   effects are never left unreported; the bound is on being taken up.
// The wait is on the system's steady clock: it is the one that must run
// while the thread that owns the program's clock is stuck.
class HandOver {
public:
    // Runs `work` on `owner`'s thread (at once when that is this thread) and
    // says whether it ran; false when that thread did not take it up within
    // `bound`, or `owner` went before it did.
    static bool run(QObject& owner, std::chrono::milliseconds bound, std::function<void()> work);

    // The same for work with an answer: none when it did not run.
    template <class T>
    static std::optional<T> ask(QObject& owner, std::chrono::milliseconds bound, std::function<T()> work)
    {
        auto answer = std::make_shared<std::optional<T>>();
        if (!run(owner, bound, [answer, work = std::move(work)] { answer->emplace(work()); }))
            return std::nullopt;
        return std::move(*answer);
    }
};

} // namespace tavrin
