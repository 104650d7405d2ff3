#pragma once

namespace tavrin {

// The default sound input: whether some program is recording from it now.
// Answers at once from what the desktop last reported (no round trip), so it
// may be asked every second; callable from any thread.
class Microphone {
public:
    virtual ~Microphone() = default;

    // The default input exists and is in use. False when there is none, or
    // when the sound system cannot be reached.
    virtual bool inUse() const = 0;
};

} // namespace tavrin
