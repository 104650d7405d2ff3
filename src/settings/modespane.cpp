#include "settings/modespane.h"

#include "design/tcard.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "settings/settingswitch.h"
#include "settings/switchrow.h"

#include <QVBoxLayout>

namespace tavrin {

namespace {
const QString kFocusKey = QStringLiteral("mode.focus");
const QString kDeepWorkKey = QStringLiteral("mode.deepWork");
} // namespace

ModesPane::ModesPane(QWidget* parent)
    : PanePage(tr("Modes"), tr("Let Tavrin step in when you're on a call, sharing your screen or focusing."), parent)
{
    meeting_ = new SettingSwitch(SettingSwitch::key(QStringLiteral("mode.meeting"), true));
    addCard()->addWidget(new SwitchRow(tr("Meeting mode"),
                                       tr("While your microphone is in use, the call moves to the top middle of its "
                                          "display, with your notes below it. Both go back afterwards."),
                                       meeting_));

    shareSafe_ = new SettingSwitch(SettingSwitch::key(QStringLiteral("mode.shareSafe"), true));
    addCard()->addWidget(new SwitchRow(tr("Share-safe"),
                                       tr("While you share your screen, the apps you marked private are blurred."),
                                       shareSafe_));

    focus_ = new SettingSwitch({&ModesPane::focusOn,
                                [](bool on) {
                                    if (Defaults* defaults = Platform::current().defaults)
                                        defaults->setValue(kFocusKey, on);
                                },
                                {kFocusKey, kDeepWorkKey}});
    addCard()->addWidget(new SwitchRow(tr("Focus routines"),
                                       tr("Routines hide, quit and arrange apps when a calendar event, a time of day or "
                                          "an app starts them, and put everything back when they end."),
                                       focus_));

    // The Focus routines section is placed here, under the switch for
    // routines as a whole.
    routinesSlot_ = new QWidget;
    routinesSlot_->setObjectName(QStringLiteral("focusRoutinesSlot"));
    auto* slotLayout = new QVBoxLayout(routinesSlot_);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    slotLayout->setSpacing(kCardSpacing);
    addBlock(routinesSlot_);
}

bool ModesPane::focusOn()
{
    const Defaults* defaults = Platform::current().defaults;
    if (!defaults)
        return false;
    if (defaults->contains(kFocusKey))
        return defaults->boolValue(kFocusKey);
    return defaults->boolValue(kDeepWorkKey);
}

} // namespace tavrin
