#pragma once

#include "settings/learningpane.h"

#include <QObject>

namespace tavrin {

class Habits;
class Learning;

// Shows what learning and habits hold in a learning pane, and carries out
// what the pane asks: keep a rule, forget it, take back a keep or a forget,
// forget everything. Lives as long as the pane (it is the pane's child).
class LearningBinding : public QObject {
    Q_OBJECT
public:
    LearningBinding(LearningPane& pane, Learning& learning, Habits& habits);

private:
    void showRules();
    void showHabits();

    LearningPane& pane_;
    Learning& learning_;
    Habits& habits_;
};

} // namespace tavrin
