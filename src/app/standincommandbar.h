#pragma once

#include "app/commandbarcontrol.h"

namespace tavrin {

// The command bar until a real one is installed: it shows nothing and only
// remembers whether it was asked to show, so that the shortcut toggles.
class StandInCommandBar : public CommandBarControl {
public:
    bool isShowing() const override { return showing_; }
    void orderOut() override { showing_ = false; }
    void show() override { showing_ = true; }
    void open(const SavedWorkspace&) override { show(); }
    void ask(const QString&) override { show(); }

private:
    bool showing_ = false;
};

} // namespace tavrin
