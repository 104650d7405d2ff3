#pragma once

#include "platform/clickcounter.h"
#include "platform/inputtaps.h"

#include <QHash>
#include <QSet>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <xcb/xcb.h>

namespace tavrin {

class X11Keyboard;

// The input taps of the X11 desktop: XInput 2.1 raw events (which come
// whichever window has the focus or a grab) read on a thread of its own,
// over a connection of its own, so that nothing on the main thread delays
// them. A raw event carries no pointer position: the thread asks for it
// (a query of its own connection) for presses, releases and motion with
// the left button down; motion without it is dropped at once. Click counts
// follow the desktop's double-click time within 4 points; key codes become
// those of the Mac layout. Timestamps are the monotonic clock's, taken
// when the thread reads the event.
class X11InputTaps : public InputTaps {
    Q_OBJECT
public:
    // `display`: where to connect (empty: $DISPLAY); the keyboard's mapping
    // is read from `keyboard` when the taps start.
    X11InputTaps(QString display, X11Keyboard& keyboard, QObject* parent = nullptr);
    ~X11InputTaps() override;

    bool start(Filter filter, double timeout, QString* problem) override;
    void stop() override;
    bool isRunning() const override { return running_; }
    std::uint64_t now() const override;

private:
    // What the thread reads of the keyboard, fixed when it starts.
    struct Keys {
        QHash<xcb_keycode_t, std::uint32_t> macCodes;
        QSet<xcb_keycode_t> modifiers;
        std::uint16_t alt = 0, super = 0;
    };
    struct Run;
    class Reader;

    Keys readKeys() const;
    void join();
    // The taps' thread.
    static void runTaps(std::shared_ptr<Run> run);

    QString display_;
    X11Keyboard& keyboard_;
    std::unique_ptr<std::thread> thread_;
    std::shared_ptr<Run> run_;
    bool running_ = false;
    // Events handed on by an earlier run are dropped.
    std::uint64_t generation_ = 0;
};

} // namespace tavrin
