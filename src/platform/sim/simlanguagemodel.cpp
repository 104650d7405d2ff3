#include "platform/sim/simlanguagemodel.h"

#include "platform/clock.h"

#include <QPointer>

namespace tavrin {

class SimLanguageModelSession : public LanguageModelSession {
public:
    explicit SimLanguageModelSession(SimLanguageModel* model) : model_(model), clock_(model->clock_) {}

    QCoro::Task<GuidedGeneration> generatePlan(QString prompt) override
    {
        if (!model_)
            co_return GuidedGeneration{std::nullopt, QStringLiteral("The model went away.")};
        model_->prompts_.append(prompt);
        // What the test set when the question was asked.
        const GuidedGeneration answer = model_->answer_;
        const double delay = model_->delay_;
        if (delay > 0)
            co_await clock_.sleep(delay);
        co_return answer;
    }

private:
    QPointer<SimLanguageModel> model_;
    Clock& clock_;
};

SimLanguageModel::SimLanguageModel(Clock& clock, QObject* parent) : LanguageModel(parent), clock_(clock) {}

void SimLanguageModel::setAvailability(bool available, QString reason)
{
    availability_ = {available, std::move(reason)};
}

void SimLanguageModel::setAnswer(GuidedPlan plan) { answer_ = {std::move(plan), {}}; }

void SimLanguageModel::setFailure(QString error) { answer_ = {std::nullopt, std::move(error)}; }

std::shared_ptr<LanguageModelSession> SimLanguageModel::makeSession(QString instructions, PlanGuide guide)
{
    lastInstructions_ = std::move(instructions);
    lastGuide_ = std::move(guide);
    return std::make_shared<SimLanguageModelSession>(this);
}

} // namespace tavrin
