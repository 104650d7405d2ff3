#pragma once

#include "app/intents/intentresult.h"

#include <QString>

namespace tavrin {

class AppState;

// "Ask Tavrin": opens the command bar afresh with the request and plans it,
// as Return does; the bar carries on by itself.
struct AskTavrinIntent {
    QString request;

    static QString title();
    // "Ask Tavrin to " and the request.
    QString parameterSummary() const;
    // What the system asks when the request is missing.
    static QString requestPrompt();
    IntentResult perform(AppState& state) const;
};

} // namespace tavrin
