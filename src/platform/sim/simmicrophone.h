#pragma once

#include "platform/microphone.h"

namespace tavrin {

class SimDesktop;

// The simulated desktop's microphone: in use while the desktop says so
// (`SimDesktop::setMicrophoneInUse`).
class SimMicrophone : public Microphone {
public:
    explicit SimMicrophone(const SimDesktop& desktop) : desktop_(desktop) {}

    bool inUse() const override;

private:
    const SimDesktop& desktop_;
};

} // namespace tavrin
