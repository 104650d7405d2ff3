#pragma once

#include "app/settingspane.h"
#include "settings/settingsservices.h"

#include <QPointer>
#include <QWidget>

class QScrollArea;

namespace tavrin {

class SettingsSidebar;

// The Settings window's root: the sidebar of panes and, beside it, the
// selected pane in a scroll area, in the theme of the desktop's colour
// scheme. The pane follows the router; it is built afresh each time it is
// selected and each time the window is reloaded, so it shows the settings
// as they are then.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{760, 560};
    static constexpr QSize kMinimumSize{640, 420};

    // `services` must be resolved and outlive the view.
    explicit SettingsView(const SettingsServices& services, QWidget* parent = nullptr);

    SettingsSidebar* sidebar() const { return sidebar_; }
    // The pane shown now, and which one it is.
    QWidget* pane() const { return pane_; }
    SettingsPane shownPane() const { return shown_; }

    // Builds the router's pane again.
    void reload();

    // The pane of that kind, built for these services.
    static QWidget* makePane(SettingsPane pane, const SettingsServices& services);

private:
    const SettingsServices& services_;
    SettingsSidebar* sidebar_;
    QScrollArea* scroll_;
    QPointer<QWidget> pane_;
    SettingsPane shown_ = SettingsPane::general;
};

} // namespace tavrin
