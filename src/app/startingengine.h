#pragma once

#include "app/engine.h"

#include <functional>
#include <utility>

namespace tavrin {

// An engine of a subsystem below the shell, started by calling `start`: how
// the composition root registers objects that cannot implement Engine
// themselves.
class StartingEngine final : public Engine {
public:
    explicit StartingEngine(std::function<void()> start) : start_(std::move(start)) {}
    void start() override { start_(); }

private:
    std::function<void()> start_;
};

} // namespace tavrin
