#pragma once

namespace tavrin {

// What keeps learned state in memory, read from the portable settings
// ("learning.", "habits."): an import that replaces those settings has it
// read them again. Whoever holds the learning engines gives one to the
// import; the sessions know nothing of the engines themselves.
class LearnedState {
public:
    virtual ~LearnedState() = default;

    // The portable settings have just been replaced: read them again.
    virtual void readAgain() = 0;
};

} // namespace tavrin
