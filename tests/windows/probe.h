#pragma once

#include "support/simfixture.h"

namespace tavrin {

// Starts an application "<title> app" with one window of that title at
// `frame` and brings it to the front. Returns its pid.
inline int addProbe(SimEnvironment& env, const QString& title, const Rect& frame)
{
    SimApp app;
    app.name = title + QStringLiteral(" app");
    SimWindow window;
    window.title = title;
    window.frame = frame;
    const int pid = env.desktop.addApp(app, {window});
    env.desktop.activate(pid);
    env.clock.runDue();
    return pid;
}

} // namespace tavrin
