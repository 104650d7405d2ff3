#pragma once

#include "platform/clickcounter.h"
#include "platform/inputtaps.h"

namespace tavrin {

class SimDesktop;

// The input taps of the simulated desktop. The desktop's driving calls (the
// mouse, keys, modifiers) hand their events here first; the filter judges
// each at once, as a tap's thread would, and what it lets through comes out
// on the clock at zero delay, in order. Timestamps are the clock's monotonic
// time.
class SimInputTaps : public InputTaps {
    Q_OBJECT
public:
    // The desktop's double-click time.
    static constexpr double kDoubleClickInterval = 0.5;

    explicit SimInputTaps(SimDesktop& desktop) : desktop_(desktop) {}

    bool start(Filter filter, double timeout, QString* problem) override;
    void stop() override;
    bool isRunning() const override { return bool(filter_); }
    std::uint64_t now() const override;

    // Taps cannot start (the permission to watch input is withheld).
    void setRefused(bool refused) { refused_ = refused; }
    // How many times the taps were started.
    int starts() const { return starts_; }

    // What the desktop's input does: one mouse or modifier event at `location`
    // (with the desktop's modifier flags), and one key down with Carbon modifiers.
    void deliver(TapEvent::Type type, Point location);
    void deliverKey(std::uint32_t keyCode, std::uint32_t carbonModifiers);

private:
    void handOn(const TapEvent& event);

    SimDesktop& desktop_;
    Filter filter_;
    bool refused_ = false;
    int starts_ = 0;
    // Events of an earlier run are dropped.
    std::uint64_t run_ = 0;
    ClickCounter clicks_{kDoubleClickInterval};
    int clickCount_ = 1;
};

} // namespace tavrin
