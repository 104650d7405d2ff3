#pragma once

#include "settings/panepage.h"
#include "settings/settingsservices.h"

namespace tavrin {

class KeyMsg;
class MessageLine;
class SettingSwitch;
class TButton;

// The general pane: whether Tavrin may move windows (Accessibility) and
// whether the desktop's own edge tiling is on, both followed as they change;
// starting at log-in; and updates.
class GeneralPane : public PanePage {
    Q_OBJECT
public:
    // `services` must be resolved.
    explicit GeneralPane(const SettingsServices& services, QWidget* parent = nullptr);

    KeyMsg* trustStatus() const { return trustStatus_; }
    KeyMsg* edgeTilingStatus() const { return edgeStatus_; }
    TButton* setUpButton() const { return setUp_; }
    TButton* desktopSettingsButton() const { return desktopButton_; }
    MessageLine* desktopNote() const { return desktopNote_; }
    SettingSwitch* loginSwitch() const { return loginSwitch_; }
    MessageLine* loginProblem() const { return loginProblem_; }

private:
    void addPermissionsCard();
    void addLoginCard();
    void showTrust(bool trusted);
    void showEdgeTiling(bool on);

    SettingsServices services_;
    KeyMsg* trustStatus_ = nullptr;
    KeyMsg* edgeStatus_ = nullptr;
    TButton* setUp_ = nullptr;
    TButton* desktopButton_ = nullptr;
    MessageLine* desktopNote_ = nullptr;
    SettingSwitch* loginSwitch_ = nullptr;
    MessageLine* loginProblem_ = nullptr;
};

} // namespace tavrin
