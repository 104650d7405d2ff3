#pragma once

#include "support/simfixture.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "workspaces/screencapture.h"

#include <QString>
#include <gtest/gtest.h>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

// A small desktop (the scenario in workspacedesk.cpp) installed as the
// platform, with no active workspace:
//
//   one 2560 × 1440 display "Studio" (visible area 0, 24, 2560, 1416);
//   Tavrin (this process, pid 100), Safari ("Docs" and "News", one tab
//   each), Terminal ("zsh", minimised), Mail ("Inbox"), Slack (pid 104,
//   "general"), Music ("Library") and Notes (hidden, "Ideas") running;
//   Calendar ("Calendar") and Empty (no windows) installed; web addresses
//   open in Safari; a launch takes 1 s.
class WorkspaceDesk : public ::testing::Test {
protected:
    WorkspaceDesk();
    ~WorkspaceDesk() override;
    void TearDown() override;

    static SimState defaultState();
    void load(SimState state) { desktop.load(std::move(state)); }

    Display display() const;
    ScreenCapture capture() const;
    // The capture's index of the window with this title (-1, and a test
    // failure, when there is none).
    int indexOf(const ScreenCapture& capture, const QString& title) const;
    AXWindow window(const QString& title) const;
    const SimWindow* simWindow(const QString& title) const { return env.window(title); }
    const SimApp* app(const QString& name) const { return desktop.appNamed(name); }

    // Runs a task to its end, moving virtual time on in small steps (at most
    // `limit` seconds).
    template <class T>
    T finish(QCoro::Task<T> task, double limit = 30);

    SimEnvironment env;
    SimClock& clock = env.clock;
    MemoryDefaults& defaults = env.defaults;
    SimDesktop& desktop = env.desktop;
};

namespace detail {
template <class T>
QCoro::Task<> keep(QCoro::Task<T> task, std::optional<T>* out)
{
    out->emplace(co_await std::move(task));
}
} // namespace detail

template <class T>
T WorkspaceDesk::finish(QCoro::Task<T> task, double limit)
{
    std::optional<T> result;
    auto waiting = detail::keep(std::move(task), &result);
    for (double waited = 0; !result && waited < limit; waited += 0.05)
        clock.advance(0.05);
    EXPECT_TRUE(result.has_value()) << "the task did not finish within " << limit << " s";
    return result ? std::move(*result) : T();
}

} // namespace tavrin
