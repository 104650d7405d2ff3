#include "platform/linux/unavailablelanguagemodel.h"

namespace tavrin {

namespace {
const char* const kReason = "There is no on-device language model on this system.";

class UnavailableSession : public LanguageModelSession {
public:
    QCoro::Task<GuidedGeneration> generatePlan(QString) override
    {
        co_return GuidedGeneration{std::nullopt, QString::fromLatin1(kReason)};
    }
};
} // namespace

LanguageModel::Availability UnavailableLanguageModel::availability() const
{
    return {false, QString::fromLatin1(kReason)};
}

std::shared_ptr<LanguageModelSession> UnavailableLanguageModel::makeSession(QString, PlanGuide)
{
    return std::make_shared<UnavailableSession>();
}

} // namespace tavrin
