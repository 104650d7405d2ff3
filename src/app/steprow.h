#pragma once

#include "app/onboardingcontent.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace tavrin {

// One numbered step of the first-run window: the number disc (a tick once
// done), the title with its badge, the detail, and the step's button, or
// the done text once the step is done. A current step is highlighted.
class StepRow : public QWidget {
    Q_OBJECT
public:
    explicit StepRow(const OnboardingContent::Step& step, QWidget* parent = nullptr);

    const OnboardingContent::Step& step() const { return step_; }
    void setStep(const OnboardingContent::Step& step);

    // The button (hidden once the step is done), for tests.
    QPushButton* button() const { return button_; }
    QLabel* doneLabel() const { return done_; }

signals:
    void actionRequested(tavrin::OnboardingContent::Action action);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OnboardingContent::Step step_;
    QLabel* title_;
    QLabel* badge_;
    QLabel* detail_;
    QLabel* done_;
    QPushButton* button_;
};

} // namespace tavrin
