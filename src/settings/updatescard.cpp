#include "settings/updatescard.h"

#include "app/updates/updater.h"
#include "design/designfont.h"
#include "design/frow.h"
#include "design/tbutton.h"
#include "design/tcardtitle.h"
#include "design/themedlabel.h"
#include "settings/settingswitch.h"
#include "settings/switchrow.h"

#include <QHBoxLayout>

namespace tavrin {

UpdatesCard::UpdatesCard(Updater& updater, QWidget* parent) : TCard(kUsualPadding, parent), updater_(updater)
{
    setObjectName(QStringLiteral("updatesCard"));
    addWidget(new TCardTitle(tr("Updates")));

    version_ = new ThemedLabel(Updater::versionString(), TTheme::Colour::ink, DesignFont::system(13));
    version_->setObjectName(QStringLiteral("versionLabel"));
    check_ = new TButton(tr("Check now"));
    check_->setObjectName(QStringLiteral("checkNowButton"));
    connect(check_, &QAbstractButton::clicked, this, [this] { updater_.checkForUpdates(); });
    auto* versionRow = new QWidget;
    auto* row = new QHBoxLayout(versionRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(version_, 1);
    row->addWidget(check_);
    versionRow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(new FRow(tr("Version"), versionRow));

    UpdateController* controller = updater_.controller();
    automaticChecks_ = new SettingSwitch({[controller] { return controller->automaticallyChecksForUpdates(); },
                                          [controller](bool on) { controller->setAutomaticallyChecksForUpdates(on); },
                                          {UpdateController::kAutomaticChecksKey}});
    automaticChecks_->setObjectName(QStringLiteral("automaticChecksSwitch"));
    addWidget(new SwitchRow(tr("Check for updates automatically"), tr("Tavrin looks for a new version once a day."),
                            automaticChecks_));
    automaticDownloads_ =
        new SettingSwitch({[controller] { return controller->automaticallyDownloadsUpdates(); },
                           [controller](bool on) { controller->setAutomaticallyDownloadsUpdates(on); },
                           {UpdateController::kAutomaticDownloadsKey}});
    automaticDownloads_->setObjectName(QStringLiteral("automaticDownloadsSwitch"));
    addWidget(new SwitchRow(tr("Download updates automatically"),
                            tr("When the daily check finds a new version, it goes to your Downloads folder."),
                            automaticDownloads_));

    showCanCheck(updater_.canCheck());
    connect(&updater_, &Updater::canCheckChanged, this, &UpdatesCard::showCanCheck);
}

void UpdatesCard::showCanCheck(bool can) { check_->setEnabled(can); }

} // namespace tavrin
