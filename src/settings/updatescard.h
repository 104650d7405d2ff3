#pragma once

#include "design/tcard.h"

namespace tavrin {

class SettingSwitch;
class TButton;
class ThemedLabel;
class Updater;

// The updates card: the running version, a check on demand (possible while
// the updater can start one), and the updater's switches for automatic
// checks and automatic downloads.
class UpdatesCard : public TCard {
    Q_OBJECT
public:
    explicit UpdatesCard(Updater& updater, QWidget* parent = nullptr);

    TButton* checkButton() const { return check_; }
    ThemedLabel* versionLabel() const { return version_; }
    SettingSwitch* automaticChecks() const { return automaticChecks_; }
    SettingSwitch* automaticDownloads() const { return automaticDownloads_; }

private:
    void showCanCheck(bool can);

    Updater& updater_;
    TButton* check_;
    ThemedLabel* version_;
    SettingSwitch* automaticChecks_;
    SettingSwitch* automaticDownloads_;
};

} // namespace tavrin
