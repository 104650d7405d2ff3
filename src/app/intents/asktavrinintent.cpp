#include "app/intents/asktavrinintent.h"

#include "app/appstate.h"

#include <QCoreApplication>

namespace tavrin {

QString AskTavrinIntent::title() { return QCoreApplication::translate("AskTavrinIntent", "Ask Tavrin"); }

QString AskTavrinIntent::parameterSummary() const
{
    return QCoreApplication::translate("AskTavrinIntent", "Ask Tavrin to %1").arg(request);
}

QString AskTavrinIntent::requestPrompt()
{
    return QCoreApplication::translate("AskTavrinIntent", "What are you working on?");
}

IntentResult AskTavrinIntent::perform(AppState& state) const
{
    state.commandBar().ask(request);
    return IntentResult::nothing();
}

} // namespace tavrin
