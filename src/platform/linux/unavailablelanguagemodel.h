#pragma once

#include "platform/languagemodel.h"

namespace tavrin {

// There is no on-device language model on Linux: always unavailable.
class UnavailableLanguageModel : public LanguageModel {
    Q_OBJECT
public:
    using LanguageModel::LanguageModel;

    Availability availability() const override;
    std::shared_ptr<LanguageModelSession> makeSession(QString instructions, PlanGuide guide) override;
};

} // namespace tavrin
