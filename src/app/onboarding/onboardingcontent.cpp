#include "app/onboarding/onboardingcontent.h"

#include "app/appstate.h"
#include "platform/accessibility.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <QUrl>

namespace tavrin {

QList<OnboardingContent::Step> OnboardingContent::steps(bool trusted, bool tiling, bool seen)
{
    Step accessibility;
    accessibility.number = 1;
    accessibility.title = tr("Move your windows");
    accessibility.detail = tr("Tavrin moves and resizes windows through the X server and your window manager, which "
                              "answer any program: there is nothing to allow.");
    accessibility.done = trusted;
    accessibility.doneText = tr("Nothing to allow");
    accessibility.current = !trusted;
    accessibility.buttonTitle = tr("Open Desktop Settings");
    accessibility.buttonKind = ButtonKind::primary;
    accessibility.action = Action::requestAccessibility;

    Step edgeTiling;
    edgeTiling.number = 2;
    edgeTiling.title = tr("Turn off the desktop's edge tiling");
    edgeTiling.detail = tr("Your desktop may tile windows you drag to a screen edge, which would fight Tavrin. "
                           "Turn that off in its window settings.");
    // What the desktop says now, whoever turned it off.
    edgeTiling.done = !tiling;
    edgeTiling.doneText = tr("Off");
    edgeTiling.current = trusted && tiling;
    edgeTiling.buttonTitle = tr("Open Desktop Settings");
    edgeTiling.buttonKind = trusted ? ButtonKind::primary : ButtonKind::normal;
    edgeTiling.action = Action::openDesktopSettings;

    Step integrations;
    integrations.number = 3;
    integrations.title = tr("App integrations");
    integrations.detail = tr("Browsers, editors and terminals open their windows and tabs for Tavrin without "
                             "asking: this desktop has no permission for them to give.");
    integrations.done = seen;
    integrations.doneText = tr("Nothing to allow");
    integrations.current = trusted && !tiling && !seen;
    integrations.buttonTitle = tr("Got it");
    integrations.buttonKind = trusted && !tiling ? ButtonKind::primary : ButtonKind::normal;
    integrations.action = Action::gotIt;

    return {accessibility, edgeTiling, integrations};
}

OnboardingContent::Footer OnboardingContent::footer(bool trusted)
{
    if (trusted)
        return {tr("Start using Tavrin"), ButtonKind::primary};
    return {tr("Finish later"), ButtonKind::normal};
}

OnboardingContent::OnboardingContent(AppState& state, QObject* parent) : QObject(parent), state_(&state)
{
    connect(&state, &AppState::isTrustedChanged, this, &OnboardingContent::changed);
    connect(&state, &AppState::edgeTilingOnChanged, this, &OnboardingContent::changed);
    if (Defaults* defaults = Platform::current().defaults)
        connect(defaults, &Defaults::changed, this, [this](const QString& key) {
            if (key == kIntegrationsSeenKey)
                emit changed();
        });
}

QList<OnboardingContent::Step> OnboardingContent::steps() const
{
    QList<Step> all = steps(state_ && state_->isTrusted(), !state_ || state_->edgeTilingOn(), integrationsSeen());
    for (Step& step : all)
        if (note_ && note_->first == step.action)
            step.note = note_->second;
    return all;
}

OnboardingContent::Footer OnboardingContent::footer() const { return footer(state_ && state_->isTrusted()); }

bool OnboardingContent::integrationsSeen() const
{
    const Defaults* defaults = Platform::current().defaults;
    return defaults && defaults->boolValue(kIntegrationsSeenKey);
}

void OnboardingContent::perform(Action action)
{
    switch (action) {
    case Action::requestAccessibility: requestAccessibility(); break;
    case Action::openDesktopSettings: openDesktopSettings(); break;
    case Action::gotIt: gotIt(); break;
    }
}

void OnboardingContent::requestAccessibility()
{
    if (Accessibility* ax = Platform::current().accessibility)
        ax->isTrusted(true);
    openSettings(kAccessibilityAddress, Action::requestAccessibility);
}

void OnboardingContent::openDesktopSettings() { openSettings(kDesktopSettingsAddress, Action::openDesktopSettings); }

void OnboardingContent::openSettings(const QString& address, Action action)
{
    // Said under the step: that nothing opened, or where the setting is in
    // a program that opened elsewhere.
    const QString said = open(address) ? openedNote(address) : noSettingsNote();
    const std::optional<std::pair<Action, QString>> note =
        said.isEmpty() ? std::nullopt : std::optional(std::pair(action, said));
    if (note == note_)
        return;
    note_ = note;
    emit changed();
}

QString OnboardingContent::noSettingsNote() { return tr("No settings program for this desktop is installed."); }

QString OnboardingContent::openedNote(const QString& address)
{
    Workspace* workspace = Platform::current().workspace;
    const auto tab = workspace ? workspace->settingsTab(QUrl(address)) : std::nullopt;
    if (!tab)
        return {};
    return tr("%1 opens on another tab: the setting is on its %2 tab.").arg(tab->program, tab->tab);
}

void OnboardingContent::gotIt()
{
    if (Defaults* defaults = Platform::current().defaults)
        defaults->setValue(kIntegrationsSeenKey, true);
}

bool OnboardingContent::open(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    Workspace* workspace = Platform::current().workspace;
    if (!url.isValid() || url.scheme().isEmpty() || !workspace)
        return false;
    return workspace->openUrl(url);
}

} // namespace tavrin
