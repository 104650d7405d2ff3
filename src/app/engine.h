#pragma once

namespace tavrin {

// The background components the shell starts once, in this order, after
// frontmost-application tracking, the hot keys and the snap overlay.
enum class EngineSlot { autoArrange, shareSafe, meetingMode, focus, habits, handPlacement, sessions };

// A background component that AppState::startEngines() starts in its slot.
class Engine {
public:
    virtual ~Engine() = default;
    virtual void start() = 0;
};

} // namespace tavrin
