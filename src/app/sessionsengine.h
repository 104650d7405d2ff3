#pragma once

#include "app/engine.h"
#include "integrations/sessions.h"

namespace tavrin {

// The automatic session saves as one of the shell's engines.
class SessionsEngine : public Engine {
public:
    explicit SessionsEngine(Sessions& sessions) : sessions_(sessions) {}
    void start() override { sessions_.start(); }

private:
    Sessions& sessions_;
};

} // namespace tavrin
