#pragma once

#include "settings/panepage.h"

namespace tavrin {

class ClaudeKeyCard;
class KeychainStore;
class KeyMsg;
class Meter;
class PlannerRouter;
class RequestLog;
class SettingSwitch;
class SwitchRow;
class TSeg;

// The AI pane: which planner plans the typed tasks ("aiEngine"), the Claude
// key and model, what planners may be sent, this month's usage, and the
// requests sent so far.
class AIPane : public PanePage {
    Q_OBJECT
public:
    AIPane(KeychainStore& keychain, RequestLog& log, PlannerRouter& planners, QWidget* parent = nullptr);

    TSeg* engineChoice() const { return engine_; }
    KeyMsg* engineNote() const { return engineNote_; }
    ClaudeKeyCard* keyCard() const { return keyCard_; }
    SettingSwitch* onDeviceFirstSwitch() const { return onDeviceFirst_; }
    SettingSwitch* urlsSwitch() const { return urls_; }
    SettingSwitch* tabTitlesSwitch() const { return tabTitles_; }

private:
    void addEngineCard();
    void addSendingCard();
    void addUsageCard();
    void showEngineNote();

    PlannerRouter& planners_;
    TSeg* engine_ = nullptr;
    KeyMsg* engineNote_ = nullptr;
    ClaudeKeyCard* keyCard_ = nullptr;
    SettingSwitch* onDeviceFirst_ = nullptr;
    SettingSwitch* urls_ = nullptr;
    SettingSwitch* tabTitles_ = nullptr;
    SwitchRow* tabTitlesRow_ = nullptr;
    KeyMsg* usage_ = nullptr;
    KeyMsg* allowance_ = nullptr;
    Meter* meter_ = nullptr;
};

} // namespace tavrin
