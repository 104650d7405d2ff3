#include "app/commandbaradapter.h"

namespace tavrin {

CommandBarAdapter::CommandBarAdapter(CommandBarServices services)
    : controller_(std::make_unique<CommandBarController>(services))
{}

CommandBarAdapter::~CommandBarAdapter() = default;

void CommandBarAdapter::open(const SavedWorkspace& workspace) { controller_->open(workspace); }

void CommandBarAdapter::ask(const QString& request) { controller_->ask(request); }

void CommandBarAdapter::onSettingsRequested(std::function<void()> open)
{
    QObject::connect(controller_.get(), &CommandBarController::settingsRequested, controller_.get(),
                     [open = std::move(open)] { open(); });
}

} // namespace tavrin
