#include "settings/modespane.h"

#include "app/appstate.h"
#include "design/designfont.h"
#include "design/environment.h"
#include "design/tcard.h"
#include "design/themedlabel.h"
#include "focus/focus.h"
#include "focus/views/focussection.h"
#include "platform/linuxwords.h"
#include "platform/platform.h"
#include "settings/settingswitch.h"
#include "settings/switchrow.h"

#include <QVBoxLayout>

namespace tavrin {

namespace {

// A mode's switch: read from its setting, written through the mode when one
// is registered (it stores the setting itself), else straight to the setting.
SettingSwitch::Binding modeSwitch(const QString& key, std::function<bool(bool on)> drive)
{
    SettingSwitch::Binding binding = SettingSwitch::key(key, true);
    binding.write = [key, drive = std::move(drive), store = binding.write](bool on) {
        if (!drive(on))
            store(on);
    };
    return binding;
}
} // namespace

ModesPane::ModesPane(AppState* state, Focus* focus, QWidget* parent)
    : PanePage(tr("Modes"), tr("Let Tavrin step in when you're on a call, sharing your screen or focusing."), parent),
      state_(state)
{
    meeting_ = new SettingSwitch(modeSwitch(QStringLiteral("mode.meeting"), [state](bool on) {
        MeetingControl* meeting = state ? state->meeting() : nullptr;
        if (meeting)
            meeting->setEnabled(on);
        return meeting != nullptr;
    }));
    TCard* meetingCard = addCard();
    meetingCard->addWidget(new SwitchRow(tr("Meeting mode"),
                                         tr("While your microphone is in use, the call moves to the top middle of its "
                                            "display, with your notes below it. Both go back afterwards."),
                                         meeting_));
    inCall_ = new ThemedLabel(tr("On this call now"), TTheme::Colour::good, DesignFont::system(12, QFont::DemiBold));
    inCall_->setObjectName(QStringLiteral("onThisCall"));
    meetingCard->addWidget(inCall_);
    refreshCall();
    if (state)
        connect(state, &AppState::enginesChanged, this, &ModesPane::refreshCall);

    shareSafe_ = new SettingSwitch(modeSwitch(QStringLiteral("mode.shareSafe"), [state](bool on) {
        ShareSafeControl* shareSafe = state ? state->shareSafe() : nullptr;
        if (shareSafe)
            shareSafe->setEnabled(on);
        return shareSafe != nullptr;
    }));
    const QString blurred = tr("While you share your screen, the apps you marked private are blurred.");
    addCard()->addWidget(
        new SwitchRow(tr("Share-safe"), Environment::blurAvailable() ? blurred : LinuxWords::of(blurred), shareSafe_));

    SettingSwitch::Binding focusBinding = modeSwitch(Focus::kSwitchKey, [state, focus](bool on) {
        RoutineControl* routines = state ? state->routines() : nullptr;
        if (routines)
            routines->setEnabled(on);
        else if (focus)
            focus->setEnabled(on);
        return routines != nullptr || focus != nullptr;
    });
    focusBinding.read = &ModesPane::focusOn;
    focusBinding.keys = {Focus::kSwitchKey, Focus::kOlderSwitchKey};
    focus_ = new SettingSwitch(focusBinding);
    addCard()->addWidget(
        new SwitchRow(tr("Focus routines"),
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
    if (focus) {
        section_ = new FocusSection(*focus);
        slotLayout->addWidget(section_);
    }
}

void ModesPane::refreshCall()
{
    const MeetingControl* meeting = state_ ? state_->meeting() : nullptr;
    inCall_->setVisible(meeting && meeting->inCall());
}

bool ModesPane::focusOn() { return Focus::storedSwitch(Platform::current().defaults); }

} // namespace tavrin
