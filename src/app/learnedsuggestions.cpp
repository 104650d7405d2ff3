#include "app/learnedsuggestions.h"

#include "app/appstate.h"
#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"

#include <QPointer>

namespace tavrin {

LearnedSuggestions::LearnedSuggestions(AppState& state, Learning& learning, Habits& habits, QObject* parent)
    : QObject(parent),
      learning_(learning),
      habits_(habits)
{
    connect(&learning_, &Learning::changed, &state, &AppState::announceEngineChange);
    connect(&habits_, &Habits::tickChanged, &state, &AppState::announceEngineChange);
}

std::optional<SuggestionSource::Habit> LearnedSuggestions::habit() const
{
    const auto habit = habits_.suggestion();
    if (!habit)
        return std::nullopt;
    // The buttons act on the habit shown, whatever is due by the time they are pressed.
    QPointer<Habits> habits(&habits_);
    return Habit{habit->app, habit->minute,
                 [habits, h = *habit] {
                     if (habits)
                         habits->open(h);
                 },
                 [habits, h = *habit] {
                     if (habits)
                         habits->dismiss(h);
                 }};
}

std::optional<SuggestionSource::Placement> LearnedSuggestions::placement() const
{
    const auto rule = learning_.suggestion();
    if (!rule)
        return std::nullopt;
    QPointer<Learning> learning(&learning_);
    return Placement{rule->app,
                     rule->zone,
                     rule->times,
                     rule->total,
                     Learning::sentence(rule->zone),
                     [learning, r = *rule] {
                         if (learning)
                             learning->keep(r);
                     },
                     [learning, r = *rule] {
                         if (learning)
                             learning->dismiss(r);
                     }};
}

} // namespace tavrin
