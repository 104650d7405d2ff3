#pragma once

#include "support/simfixture.h"

namespace tavrin {

// Starts an application "<title> app" with one window of that title at
// `frame` (or the window given) and brings it to the front. Returns its pid.
inline int addProbe(SimEnvironment& env, SimWindow window)
{
    SimApp app;
    app.name = window.title + QStringLiteral(" app");
    const int pid = env.desktop.addApp(app, {window});
    env.desktop.activate(pid);
    env.clock.runDue();
    return pid;
}

inline int addProbe(SimEnvironment& env, const QString& title, const Rect& frame)
{
    SimWindow window;
    window.title = title;
    window.frame = frame;
    return addProbe(env, window);
}

} // namespace tavrin
