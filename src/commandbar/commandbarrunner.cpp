#include "commandbar/commandbarrunner.h"

namespace tavrin {

namespace {
class SharedRunner final : public CommandBarRunner {
public:
    QCoro::Task<WorkspaceRunner::Outcome> arrange(std::vector<PlannedWindow> rows, std::vector<PlannedClear> clears,
                                                  LayoutKind layout, Display display) override
    {
        co_return co_await WorkspaceRunner::shared().arrange(std::move(rows), std::move(clears), layout,
                                                             std::move(display));
    }
    void undo(const WorkspaceRunner::Outcome& outcome) override { WorkspaceRunner::shared().undo(outcome); }
    void pauseAutoArrange(double seconds) override { WorkspaceRunner::shared().pauseAutoArrange(seconds); }
};
} // namespace

CommandBarRunner& CommandBarRunner::workspaceRunner()
{
    static SharedRunner runner;
    return runner;
}

} // namespace tavrin
