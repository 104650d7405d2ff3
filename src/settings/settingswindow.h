#pragma once

#include "app/settingsopener.h"
#include "settings/settingsservices.h"

#include <QPointer>

namespace tavrin {

class SettingsView;

// The one Settings window: made on first use and kept (closing only hides
// it), opened on a pane from anywhere through the SettingsOpener route.
class SettingsWindow : public SettingsOpener {
public:
    // Every service is required (see SettingsServices).
    explicit SettingsWindow(SettingsServices services);
    ~SettingsWindow() override;
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Selects `pane` (none: the pane selected last), makes the window if it
    // isn't there yet, shows it, brings it in front of other windows and gives
    // it the keyboard. A window that was closed shows its pane afresh.
    void show(std::optional<SettingsPane> pane) override;

    // The window, once made.
    SettingsView* view() const;

private:
    SettingsServices services_;
    QPointer<SettingsView> view_;
};

} // namespace tavrin
