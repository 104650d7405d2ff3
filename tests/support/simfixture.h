#pragma once

#include "platform/accessibility.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simaccessibility.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simeventmonitors.h"
#include "platform/sim/simhotkeys.h"
#include "platform/sim/simscenario.h"
#include "platform/sim/simscreens.h"
#include "platform/sim/simwindowserver.h"
#include "platform/sim/simworkspace.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <optional>

namespace tavrin {

// A simulated desktop on virtual time, installed as the platform for as long
// as it lives (the platform installed before comes back afterwards):
//
//     SimEnvironment env;                       // scenarios/default.json
//     SimEnvironment env(R"({"displays": …})"); // a scenario written inline
//     env.desktop.setFrontmost(env.pid("Safari"));
//     env.pressKey(49, modifier::option);        // Space; what it set off runs
//     env.clock.advance(1.0);                    // timers due within 1 s run
//
// A scenario that does not load fails the test with its one-line message.
class SimEnvironment {
public:
    SimEnvironment();
    explicit SimEnvironment(const QByteArray& scenarioJson);
    ~SimEnvironment();
    SimEnvironment(const SimEnvironment&) = delete;
    SimEnvironment& operator=(const SimEnvironment&) = delete;

    // scenarios/default.json of the source tree: from TAVRIN_SOURCE_DIR, else
    // found by looking upwards from the working folder and the test binary.
    static QString defaultScenarioPath();

    // The pid of the running application with this name (0, and a test
    // failure, when there is none).
    int pid(const QString& appName) const;
    // The front-most window with this title (null, and a test failure, when none).
    const SimWindow* window(const QString& title) const;
    // That window's Accessibility element.
    AXElement element(const QString& title) const;

    // Presses a key with Carbon modifiers and runs what is due; true when a
    // hot key took it.
    bool pressKey(std::uint32_t keyCode, std::uint32_t modifiers);

    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};

private:
    void install(const SimScenario& scenario);

    std::optional<Platform> previous_;
};

// A test with a fresh default desktop in `env`.
class SimTest : public ::testing::Test {
protected:
    SimEnvironment env;
};

} // namespace tavrin
