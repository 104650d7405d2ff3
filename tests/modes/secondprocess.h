#pragma once

#include "support/simfixture.h"

namespace tavrin {

// Starts another process of an application already running, with one window
// titled `title`; returns its pid.
inline int startSecondProcess(SimEnvironment& env, const QString& app, const QString& title)
{
    SimApp process;
    process.name = app;
    SimWindow window;
    window.title = title;
    window.frame = Rect(0, 0, 500, 500);
    return env.desktop.addApp(process, {window});
}

} // namespace tavrin
