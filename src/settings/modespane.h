#pragma once

#include "settings/panepage.h"

namespace tavrin {

class AppState;
class Focus;
class FocusSection;
class SettingSwitch;
class ThemedLabel;

// The modes pane: the switches of meeting mode ("mode.meeting"), Share-safe
// ("mode.shareSafe") and Focus routines as a whole ("mode.focus"), and below
// them the place where the Focus routines are listed. The meeting and
// Share-safe switches drive the modes `state` has registered (which store
// their settings themselves), else only store the settings; while a call is
// placed the meeting card says so. Given the Focus engine, the routines
// switch drives it when `state` has no routines registered, and the
// routines section shows its routines.
class ModesPane : public PanePage {
    Q_OBJECT
public:
    explicit ModesPane(AppState* state = nullptr, Focus* focus = nullptr, QWidget* parent = nullptr);

    SettingSwitch* meetingSwitch() const { return meeting_; }
    SettingSwitch* shareSafeSwitch() const { return shareSafe_; }
    SettingSwitch* focusSwitch() const { return focus_; }
    // Where the Focus routines section goes, under the Focus card; empty
    // until there is one.
    QWidget* routinesSlot() const { return routinesSlot_; }
    // The Focus routines section; none without an engine.
    FocusSection* focusSection() const { return section_; }
    // "On this call now", shown while meeting mode has placed a call.
    ThemedLabel* inCallLabel() const { return inCall_; }

    // Whether Focus routines are on: "mode.focus", or the older
    // "mode.deepWork" when that is missing; off when both are.
    static bool focusOn();

private:
    void refreshCall();

    AppState* state_;
    SettingSwitch* meeting_;
    ThemedLabel* inCall_;
    SettingSwitch* shareSafe_;
    SettingSwitch* focus_;
    QWidget* routinesSlot_;
    FocusSection* section_ = nullptr;
};

} // namespace tavrin
