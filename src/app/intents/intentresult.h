#pragma once

#include <QString>
#include <optional>

namespace tavrin {

// What an intent answers: a dialog to show, or nothing to show.
struct IntentResult {
    std::optional<QString> dialog;

    static IntentResult nothing() { return {}; }
    static IntentResult say(QString text) { return {std::move(text)}; }
};

} // namespace tavrin
