#include "commandbar/commandbarrunner.h"

namespace tavrin {

namespace {
class WorkspaceRunnerOf final : public CommandBarRunner {
public:
    explicit WorkspaceRunnerOf(WorkspaceRunner& runner) : runner_(runner) {}

    QCoro::Task<WorkspaceRunner::Outcome> arrange(std::vector<PlannedWindow> rows, std::vector<PlannedClear> clears,
                                                  LayoutKind layout, Display display) override
    {
        co_return co_await runner_.arrange(std::move(rows), std::move(clears), layout, std::move(display));
    }
    void undo(const WorkspaceRunner::Outcome& outcome) override { runner_.undo(outcome); }
    void pauseAutoArrange(double seconds) override { runner_.pauseAutoArrange(seconds); }

private:
    WorkspaceRunner& runner_;
};
} // namespace

std::unique_ptr<CommandBarRunner> CommandBarRunner::over(WorkspaceRunner& runner)
{
    return std::make_unique<WorkspaceRunnerOf>(runner);
}

} // namespace tavrin
