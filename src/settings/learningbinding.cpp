#include "settings/learningbinding.h"

#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"

namespace tavrin {

namespace {
LearnedRule shown(const Learning::Rule& rule)
{
    const auto state = rule.forgotten ? LearnedRule::State::forgotten
                       : rule.kept    ? LearnedRule::State::kept
                                      : LearnedRule::State::open;
    return {rule.app, rule.zone, Learning::sentence(rule.zone), rule.times, rule.total, state, rule.display};
}

Learning::Rule learned(const LearnedRule& rule)
{
    return {rule.app,
            rule.display,
            rule.zone,
            rule.times,
            rule.total,
            rule.state == LearnedRule::State::kept,
            rule.state == LearnedRule::State::forgotten};
}
} // namespace

LearningBinding::LearningBinding(LearningPane& pane, Learning& learning, Habits& habits)
    : QObject(&pane),
      pane_(pane),
      learning_(learning),
      habits_(habits)
{
    connect(&learning_, &Learning::rulesChanged, this, &LearningBinding::showRules);
    connect(&learning_, &Learning::totalMovesChanged, this, &LearningBinding::showRules);
    connect(&habits_, &Habits::tickChanged, this, &LearningBinding::showHabits);
    connect(&pane_, &LearningPane::keepRequested, this, [this](const LearnedRule& r) { learning_.keep(learned(r)); });
    connect(&pane_, &LearningPane::forgetRequested, this,
            [this](const LearnedRule& r) { learning_.forget(learned(r)); });
    // Undo takes back a forget, and a keep with it.
    connect(&pane_, &LearningPane::undoRequested, this,
            [this](const LearnedRule& r) { learning_.unforget(learned(r)); });
    connect(&pane_, &LearningPane::forgetEverythingRequested, this, [this] {
        learning_.resetAll();
        habits_.reset();
    });
    showRules();
    showHabits();
}

void LearningBinding::showRules()
{
    QList<LearnedRule> rules;
    for (const Learning::Rule& rule : learning_.rules())
        rules << shown(rule);
    pane_.setRules(rules);
    pane_.setMoves(learning_.totalMoves());
}

void LearningBinding::showHabits()
{
    QList<LearnedHabit> habits;
    for (const Habits::Habit& habit : habits_.habits())
        habits << LearnedHabit{habit.app, habit.minute};
    pane_.setHabits(habits);
}

} // namespace tavrin
