#pragma once

#include <QString>

namespace tavrin {

// Why a planner made no plan, with the message shown to the user unchanged.
struct PlannerError {
    enum class Kind { notSetUp, rejected, quotaReached, unavailable };

    Kind kind = Kind::unavailable;
    QString message;

    static PlannerError notSetUp(QString message) { return {Kind::notSetUp, std::move(message)}; }
    static PlannerError rejected(QString message) { return {Kind::rejected, std::move(message)}; }
    static PlannerError quotaReached(QString message) { return {Kind::quotaReached, std::move(message)}; }
    static PlannerError unavailable(QString message) { return {Kind::unavailable, std::move(message)}; }

    const QString& localizedDescription() const { return message; }
    bool operator==(const PlannerError&) const = default;

    // The messages of the planners.
    static QString aiOffMessage();
    static QString claudeNoKeyMessage();
    static QString claudeRejectedMessage();
    static QString claudeQuotaMessage();
    static QString claudeUnreachableMessage();
    static QString claudeUnusableMessage();
    static QString claudeTooLargeMessage();
    static QString claudeStatusMessage(int status);
    static QString tavrinAINotSignedInMessage();
    // Tavrin AI chosen where its service is not offered (this program has
    // neither the service nor its accounts).
    static QString tavrinAIUnavailableMessage();
    static QString tavrinAIRejectedMessage();
    static QString tavrinAIQuotaMessage();
    static QString tavrinAIUnreachableMessage();
    static QString tavrinAIUnusableMessage();
    static QString tavrinAITooLargeMessage();
    // The model's own sentence saying why it can't be used, when it has
    // one; else that it isn't available.
    static QString onDeviceUnavailableMessage(const QString& reason = {});
    static QString onDeviceTooSlowMessage();
    // With the model's reason ("the model server answered 500"), one line
    // that says it; without, that it failed.
    static QString onDeviceFailedMessage(const QString& reason = {});
};

} // namespace tavrin
