#pragma once

#include "windows/display.h"
#include "windows/layoutkind.h"
#include "workspaces/plannedclear.h"
#include "workspaces/plannedwindow.h"
#include "workspaces/workspacerunner.h"

#include <memory>
#include <qcoro/qcorotask.h>
#include <vector>

namespace tavrin {

// Where the command bar carries plans out and undoes them: the shared
// workspace runner in the product, a scripted runner in tests.
class CommandBarRunner {
public:
    virtual ~CommandBarRunner() = default;

    // Carries the rows and clears out on the display; does not fail (problems
    // travel in the outcome).
    virtual QCoro::Task<WorkspaceRunner::Outcome>
    arrange(std::vector<PlannedWindow> rows, std::vector<PlannedClear> clears, LayoutKind layout, Display display) = 0;
    // Reverses what the outcome records, at once.
    virtual void undo(const WorkspaceRunner::Outcome& outcome) = 0;
    // Keeps automatic arrangement out of the way for this many seconds.
    virtual void pauseAutoArrange(double seconds) = 0;

    // One that carries plans out with `runner`, which outlives it.
    static std::unique_ptr<CommandBarRunner> over(WorkspaceRunner& runner);
};

} // namespace tavrin
