#include "app/commandbaradapter.h"

namespace tavrin {

CommandBarAdapter::CommandBarAdapter() : controller_(std::make_unique<CommandBarController>()) {}

CommandBarAdapter::~CommandBarAdapter() = default;

void CommandBarAdapter::open(const SavedWorkspace& workspace)
{
    controller_->show();
    controller_->model().open(workspace);
}

void CommandBarAdapter::ask(const QString& request)
{
    // Showing resets the model and clears its text: the request goes in after.
    controller_->show();
    controller_->model().setText(request);
    controller_->model().submit();
}

void CommandBarAdapter::onSettingsRequested(std::function<void()> open)
{
    QObject::connect(controller_.get(), &CommandBarController::settingsRequested, controller_.get(),
                     [open = std::move(open)] { open(); });
}

} // namespace tavrin
