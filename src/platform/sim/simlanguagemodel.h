#pragma once

#include "platform/languagemodel.h"

namespace tavrin {

class Clock;

// The simulated on-device model: answers what a test tells it, after a delay
// the test sets, on the platform clock.
class SimLanguageModel : public LanguageModel {
    Q_OBJECT
public:
    // `clock` runs the delays; it must outlive the model's sessions.
    explicit SimLanguageModel(Clock& clock, QObject* parent = nullptr);

    void setAvailability(bool available, QString reason = {});
    void setAnswer(GuidedPlan plan);
    void setFailure(QString error);
    void setDelay(double seconds) { delay_ = seconds; }

    // What the model was asked, oldest first.
    const QStringList& prompts() const { return prompts_; }
    const QString& lastInstructions() const { return lastInstructions_; }
    const PlanGuide& lastGuide() const { return lastGuide_; }

    Availability availability() const override { return availability_; }
    std::shared_ptr<LanguageModelSession> makeSession(QString instructions, PlanGuide guide) override;

private:
    friend class SimLanguageModelSession;

    Clock& clock_;
    Availability availability_{true, {}};
    GuidedGeneration answer_{std::nullopt, QStringLiteral("No answer was set.")};
    double delay_ = 0;
    QStringList prompts_;
    QString lastInstructions_;
    PlanGuide lastGuide_;
};

} // namespace tavrin
