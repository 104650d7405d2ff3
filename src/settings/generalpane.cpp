#include "settings/generalpane.h"

#include "app/appstate.h"
#include "app/onboarding/onboardingcontent.h"
#include "design/frow.h"
#include "design/keymsg.h"
#include "design/tbutton.h"
#include "design/tcard.h"
#include "design/tcardtitle.h"
#include "settings/messageline.h"
#include "settings/settingswitch.h"
#include "settings/switchrow.h"
#include "settings/updatescard.h"

#include <QHBoxLayout>

namespace tavrin {

namespace {
// A status and a button at the trailing edge, as one row's content.
QWidget* statusWithButton(KeyMsg* status, TButton* button)
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    row->addWidget(status, 1, Qt::AlignVCenter);
    row->addWidget(button, 0, Qt::AlignVCenter);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return box;
}
} // namespace

GeneralPane::GeneralPane(const SettingsServices& services, QWidget* parent)
    : PanePage(tr("General"), tr("What Tavrin may do, how it starts, and how it stays up to date."), parent),
      services_(services)
{
    addPermissionsCard();
    addLoginCard();
    addBlock(new UpdatesCard(services_.updater, this));
}

void GeneralPane::addPermissionsCard()
{
    TCard* card = addCard();
    card->addWidget(new TCardTitle(tr("Permissions")));

    trustStatus_ = new KeyMsg(QString());
    trustStatus_->setObjectName(QStringLiteral("trustStatus"));
    setUp_ = new TButton(tr("Set up…"));
    setUp_->setObjectName(QStringLiteral("setUpButton"));
    connect(setUp_, &QAbstractButton::clicked, this, [this] { services_.openFirstRun(); });
    card->addWidget(new FRow(tr("Moving windows"), statusWithButton(trustStatus_, setUp_)));

    edgeStatus_ = new KeyMsg(QString());
    edgeStatus_->setObjectName(QStringLiteral("edgeTilingStatus"));
    desktopButton_ = new TButton(tr("Desktop settings…"));
    desktopButton_->setObjectName(QStringLiteral("desktopSettingsButton"));
    desktopNote_ = new MessageLine;
    desktopNote_->setObjectName(QStringLiteral("desktopNote"));
    connect(desktopButton_, &QAbstractButton::clicked, this, [this] {
        if (OnboardingContent::open(OnboardingContent::kDesktopSettingsAddress)) {
            const QString where = OnboardingContent::openedNote(OnboardingContent::kDesktopSettingsAddress);
            if (where.isEmpty())
                desktopNote_->clear();
            else
                desktopNote_->say(where, KeyMsg::Tone::plain);
        } else
            desktopNote_->say(OnboardingContent::noSettingsNote(), KeyMsg::Tone::plain);
    });
    card->addWidget(new FRow(tr("Edge tiling"), statusWithButton(edgeStatus_, desktopButton_)));
    card->addWidget(desktopNote_);

    AppState& state = services_.state;
    showTrust(state.isTrusted());
    showEdgeTiling(state.edgeTilingOn());
    connect(&state, &AppState::isTrustedChanged, this, &GeneralPane::showTrust);
    connect(&state, &AppState::edgeTilingOnChanged, this, &GeneralPane::showEdgeTiling);
}

void GeneralPane::addLoginCard()
{
    TCard* card = addCard();
    loginProblem_ = new MessageLine;
    loginProblem_->setObjectName(QStringLiteral("loginProblem"));
    const LoginItem item = services_.loginItem;
    SettingSwitch::Binding binding{[item] { return item.isEnabled(); },
                                   [item, line = loginProblem_](bool on) {
                                       QString problem;
                                       if (item.setEnabled(on, &problem))
                                           line->clear();
                                       else
                                           line->say(problem, KeyMsg::Tone::err);
                                   },
                                   {}};
    loginSwitch_ = new SettingSwitch(binding);
    loginSwitch_->setObjectName(QStringLiteral("loginSwitch"));
    card->addWidget(new SwitchRow(tr("Open Tavrin when you log in"),
                                  tr("Tavrin starts in the background each time you log in."), loginSwitch_));
    card->addWidget(loginProblem_);
}

// The X server and the window manager move windows for any program: there
// is nothing to allow, and so nothing to set up. Only the simulated desktop
// can refuse, and then the first-run window says how to allow it.
void GeneralPane::showTrust(bool trusted)
{
    trustStatus_->setText(trusted ? tr("Nothing to allow. Your window manager moves windows for Tavrin.")
                                  : tr("Not allowed yet. Tavrin can't move windows until you allow it."));
    trustStatus_->setTone(trusted ? KeyMsg::Tone::ok : KeyMsg::Tone::err);
    setUp_->setVisible(!trusted);
}

void GeneralPane::showEdgeTiling(bool on)
{
    edgeStatus_->setText(on ? tr("On. Your desktop also tiles windows you drag to an edge, which can fight "
                                 "with Tavrin.")
                            : tr("Off. Only Tavrin arranges your windows."));
    edgeStatus_->setTone(on ? KeyMsg::Tone::plain : KeyMsg::Tone::ok);
}

} // namespace tavrin
