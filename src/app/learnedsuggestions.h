#pragma once

#include "app/suggestionsource.h"

#include <QObject>

namespace tavrin {

class AppState;
class Habits;
class Learning;

// The menu-bar window's suggestions from what the program learned: the habit
// due now and the strongest placement rule, each with what its buttons do.
// Tells the shell whenever either may have changed. Main thread only.
class LearnedSuggestions : public QObject, public SuggestionSource {
    Q_OBJECT
public:
    LearnedSuggestions(AppState& state, Learning& learning, Habits& habits, QObject* parent = nullptr);

    std::optional<Habit> habit() const override;
    std::optional<Placement> placement() const override;

private:
    Learning& learning_;
    Habits& habits_;
};

} // namespace tavrin
