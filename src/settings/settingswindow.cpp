#include "settings/settingswindow.h"

#include "design/centredwindow.h"
#include "settings/settingsrouter.h"
#include "settings/settingsview.h"

namespace tavrin {

SettingsWindow::SettingsWindow(SettingsServices services) : services_(std::move(services)) {}

SettingsWindow::~SettingsWindow() { delete view_; }

SettingsView* SettingsWindow::view() const { return view_; }

void SettingsWindow::show(std::optional<SettingsPane> pane)
{
    const bool wasShowing = view_ && view_->isVisible();
    if (pane)
        services_.router.setPane(*pane);
    if (!view_) {
        view_ = new SettingsView(services_);
        CentredWindow::place(*view_);
    } else if (!wasShowing && view_->shownPane() == services_.router.pane()) {
        // The pane was built when the window last showed; what it shows may
        // have changed since.
        view_->reload();
    }
    view_->showNormal();
    view_->raise();
    view_->activateWindow();
}

} // namespace tavrin
