#pragma once

#include "platform/geometry.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

namespace tavrin {

// One event of the user's input as a tap sees it, before any application does.
struct TapEvent {
    enum class Type { leftMouseDown, leftMouseDragged, leftMouseUp, keyDown, flagsChanged };

    Type type = Type::leftMouseDown;
    // The pointer, top-left screen points.
    Point location;
    // When it happened, in nanoseconds of the event clock (`InputTaps::now()`).
    std::uint64_t timestamp = 0;
    // Presses and releases: 1 for a single click, 2 for the second of a
    // double click, and so on.
    int clickCount = 0;
    // Key downs: the key as a virtual key code of the Mac keyboard layout.
    std::uint32_t keyCode = 0;
    // The modifier flags held (modflag, platform/eventmonitors.h).
    std::uint64_t flags = 0;
};

// Watches the user's left-button presses, drags and releases, key downs and
// modifier changes as they happen, whichever application they go to, on a
// thread of its own; changes and drops nothing.
class InputTaps : public QObject {
    Q_OBJECT
public:
    // Runs on the taps' thread for every event, at once, and says whether to
    // hand it on. It must not block.
    using Filter = std::function<bool(const TapEvent&)>;

    using QObject::QObject;

    // Starts the taps: `filter` judges each event on the taps' thread, and
    // those it hands on come out of `event` on the main thread, in the order
    // they happened. Waits at most `timeout` seconds for the thread to be
    // ready; false, with the reason in `problem`, when the taps could not
    // start (nothing then runs). Started taps are left as they are.
    virtual bool start(Filter filter, double timeout, QString* problem) = 0;
    // Stops them; events not handed on yet are dropped.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    // Now on the clock of the events' timestamps, nanoseconds.
    virtual std::uint64_t now() const = 0;

signals:
    void event(const tavrin::TapEvent& event);
};

} // namespace tavrin
