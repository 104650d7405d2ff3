#pragma once

#include "platform/microphone.h"

#include <atomic>
#include <memory>

namespace tavrin {

// The microphone as the sound server knows it (PulseAudio, or PipeWire's
// server for PulseAudio clients): in use while the server's default source
// is a capture device (not the monitor of an output) and some program
// records from it.
//
// One connection, kept on a thread of its own, subscribes to changes of the
// sources and of the server's defaults and keeps the answer current, so
// `inUse()` is a read of memory. Without a sound server the answer is false;
// the connection is tried again, 5 s after it was lost and then at twice the
// wait each time up to a minute, so a server started later (or restarted) is
// found and a desktop that has none does not wake the program every few
// seconds for it.
class PulseMicrophone : public Microphone {
public:
    // Seconds before the first attempt to reach a sound server that did not
    // answer, and the longest wait between attempts.
    static constexpr double kRetryInterval = 5.0;
    static constexpr double kLongestRetryInterval = 60.0;

    // Starts connecting; returns at once.
    PulseMicrophone();
    ~PulseMicrophone() override;
    PulseMicrophone(const PulseMicrophone&) = delete;
    PulseMicrophone& operator=(const PulseMicrophone&) = delete;

    bool inUse() const override { return inUse_.load(std::memory_order_relaxed); }
    // The server has answered the latest question about the default source
    // (after a connection, or after a change it announced).
    bool isCurrent() const { return current_.load(std::memory_order_acquire); }

private:
    struct Loop;

    std::atomic<bool> inUse_{false};
    std::atomic<bool> current_{false};
    std::unique_ptr<Loop> loop_;
};

} // namespace tavrin
