#pragma once

#include "commandbar/commandbarmodel.h"
#include "commandbar/commandbarplanner.h"
#include "commandbar/commandbarrunner.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "workspaces/screencapture.h"

#include <QList>
#include <functional>
#include <optional>
#include <vector>

namespace tavrin::testing {

// A planner that answers after `delay` seconds of virtual time with what
// `answer` gives for the request.
class FakePlanner : public CommandBarPlanner {
public:
    double delay = 1.0;
    std::function<PlannerResult<WorkspacePlan>(const PlanRequest&)> answer;
    QList<PlanRequest> requests;
    int answered = 0;

    QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request) override
    {
        requests.append(request);
        const double wait = delay;
        auto reply = answer;
        co_await Platform::current().clock->sleep(wait, lifetime.token());
        if (lifetime.token().isCancelled())
            co_return PlannerError::unavailable(QStringLiteral("the planner went away"));
        ++answered;
        if (!reply)
            co_return PlannerError::unavailable(QStringLiteral("no answer scripted"));
        co_return reply(request);
    }

    void answerWith(const WorkspacePlan& plan)
    {
        answer = [plan](const PlanRequest&) { return PlannerResult<WorkspacePlan>(plan); };
    }
    void failWith(const PlannerError& error)
    {
        answer = [error](const PlanRequest&) { return PlannerResult<WorkspacePlan>(error); };
    }

    // Ends the waits of unfinished answers when the fake goes (last member:
    // the first to go).
    CancelSource lifetime;
};

// A runner that takes `delay` seconds and returns `outcome`.
class FakeRunner : public CommandBarRunner {
public:
    struct Call {
        std::vector<PlannedWindow> rows;
        std::vector<PlannedClear> clears;
        LayoutKind layout;
        Display display;
        double at = 0;
    };

    double delay = 0.5;
    WorkspaceRunner::Outcome outcome;
    std::vector<Call> calls;
    std::vector<WorkspaceRunner::Outcome> undone;
    std::vector<std::pair<double, double>> pauses; // seconds, when

    QCoro::Task<WorkspaceRunner::Outcome> arrange(std::vector<PlannedWindow> rows, std::vector<PlannedClear> clears,
                                                  LayoutKind layout, Display display) override
    {
        Clock& clock = *Platform::current().clock;
        calls.push_back({rows, clears, layout, display, clock.monotonic()});
        const WorkspaceRunner::Outcome result = outcome;
        co_await clock.sleep(delay, lifetime.token());
        co_return result;
    }
    void undo(const WorkspaceRunner::Outcome& o) override { undone.push_back(o); }
    void pauseAutoArrange(double seconds) override
    {
        pauses.emplace_back(seconds, Platform::current().clock->monotonic());
    }

    // Ends the waits of unfinished arrangements when the fake goes.
    CancelSource lifetime;
};

// The number of the capture's first window of this application, or -1.
inline int windowIndex(const ScreenCapture& capture, const QString& app)
{
    for (std::size_t i = 0; i < capture.windows.size(); ++i)
        if (ScreenCapture::appName(capture.windows[i].app) == app)
            return int(i);
    return -1;
}

// A plan reusing the capture's first window of each application, in order.
inline WorkspacePlan planFor(const ScreenCapture& capture, const QStringList& apps,
                             LayoutKind layout = LayoutKind::halves,
                             const QString& name = QStringLiteral("Side by side"))
{
    WorkspacePlan plan;
    plan.workspaceName = name;
    plan.layout = layout;
    plan.why = QStringLiteral("The editor and the browser, next to each other.");
    for (const QString& app : apps) {
        WorkspacePlan::Window w;
        w.app = app;
        const int index = windowIndex(capture, app);
        if (index >= 0)
            w.existingWindow = index;
        w.purpose = QStringLiteral("work");
        plan.windows.append(w);
    }
    return plan;
}

} // namespace tavrin::testing
