#pragma once

#include "settings/panepage.h"

namespace tavrin {

class SettingSwitch;

// The modes pane: the switches of meeting mode ("mode.meeting"), Share-safe
// ("mode.shareSafe") and Focus routines as a whole ("mode.focus"), and below
// them the place where the Focus routines are listed.
class ModesPane : public PanePage {
    Q_OBJECT
public:
    explicit ModesPane(QWidget* parent = nullptr);

    SettingSwitch* meetingSwitch() const { return meeting_; }
    SettingSwitch* shareSafeSwitch() const { return shareSafe_; }
    SettingSwitch* focusSwitch() const { return focus_; }
    // Where the Focus routines section goes, under the Focus card; empty
    // until there is one.
    QWidget* routinesSlot() const { return routinesSlot_; }

    // Whether Focus routines are on: "mode.focus", or the older
    // "mode.deepWork" when that is missing; off when both are.
    static bool focusOn();

private:
    SettingSwitch* meeting_;
    SettingSwitch* shareSafe_;
    SettingSwitch* focus_;
    QWidget* routinesSlot_;
};

} // namespace tavrin
