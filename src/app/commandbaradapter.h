#pragma once

#include "app/commandbarcontrol.h"
#include "commandbar/commandbarcontroller.h"

#include <memory>

namespace tavrin {

// The shell's command bar: the command-bar controller, which AppState owns
// through this. It works with `services`, which outlive it.
class CommandBarAdapter : public CommandBarControl {
public:
    explicit CommandBarAdapter(CommandBarServices services);
    ~CommandBarAdapter() override;

    CommandBarController& controller() { return *controller_; }

    bool isShowing() const override { return controller_->isShowing(); }
    void orderOut() override { controller_->hide(); }
    void show() override { controller_->show(); }
    void open(const SavedWorkspace& workspace) override;
    void ask(const QString& request) override;
    void onSettingsRequested(std::function<void()> open) override;

private:
    std::unique_ptr<CommandBarController> controller_;
};

} // namespace tavrin
