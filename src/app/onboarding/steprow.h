#pragma once

#include "app/onboarding/onboardingcontent.h"
#include "design/designwidget.h"

namespace tavrin {

class TButton;
class ThemedLabel;

// One numbered step of the first-run window: the number disc (a tick once
// done), the title with its badge, the detail (and below it the note, when
// the button opened nothing), and the step's button, or the done text once
// the step is done. A current step is highlighted.
class StepRow : public DesignWidget {
    Q_OBJECT
public:
    explicit StepRow(const OnboardingContent::Step& step, QWidget* parent = nullptr);

    const OnboardingContent::Step& step() const { return step_; }
    void setStep(const OnboardingContent::Step& step);

signals:
    void actionRequested(tavrin::OnboardingContent::Action action);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OnboardingContent::Step step_;
    ThemedLabel* title_;
    ThemedLabel* badge_;
    ThemedLabel* detail_;
    ThemedLabel* note_;
    ThemedLabel* done_;
    TButton* button_;
};

} // namespace tavrin
