#include "planning/plannererror.h"

namespace tavrin {

QString PlannerError::aiOffMessage()
{
    return QStringLiteral("Turn on AI in Settings › AI to describe tasks in plain English.");
}

QString PlannerError::claudeNoKeyMessage() { return QStringLiteral("Add your Claude key in Settings › AI."); }

QString PlannerError::claudeRejectedMessage()
{
    return QStringLiteral("Anthropic rejected your API key. Check it in Settings › AI.");
}

QString PlannerError::claudeQuotaMessage()
{
    return QStringLiteral("Claude is busy or your key's limit was reached. Try again soon.");
}

QString PlannerError::claudeUnreachableMessage()
{
    return QStringLiteral("Couldn't reach Claude. Check your connection and try again.");
}

QString PlannerError::claudeUnusableMessage() { return QStringLiteral("Claude's answer couldn't be used. Try again."); }

QString PlannerError::claudeTooLargeMessage()
{
    return QStringLiteral("Claude's answer was too large to use. Try again.");
}

QString PlannerError::claudeStatusMessage(int status)
{
    return QStringLiteral("Claude couldn't take this request (error %1). Try again.").arg(status);
}

QString PlannerError::tavrinAIUnavailableMessage()
{
    return QStringLiteral("Tavrin AI isn't available in this version of Tavrin. Choose your Claude key or this "
                          "computer in Settings › AI.");
}

QString PlannerError::tavrinAINotSignedInMessage() { return QStringLiteral("Sign in to Tavrin AI in Settings › AI."); }

QString PlannerError::tavrinAIRejectedMessage()
{
    return QStringLiteral("Tavrin AI didn't accept your sign-in. Sign in again in Settings › AI.");
}

QString PlannerError::tavrinAIQuotaMessage() { return QStringLiteral("You've used this month's Tavrin AI requests."); }

QString PlannerError::tavrinAIUnreachableMessage()
{
    return QStringLiteral("Couldn't reach Tavrin AI. Check your connection and try again.");
}

QString PlannerError::tavrinAIUnusableMessage()
{
    return QStringLiteral("Tavrin AI's answer couldn't be used. Try again.");
}

QString PlannerError::tavrinAITooLargeMessage()
{
    return QStringLiteral("Tavrin AI's answer was too large to use. Try again.");
}

QString PlannerError::onDeviceUnavailableMessage(const QString& reason)
{
    if (!reason.isEmpty())
        return reason;
    return QStringLiteral("The on-device model isn't available on this computer.");
}

QString PlannerError::onDeviceTooSlowMessage() { return QStringLiteral("The on-device model took too long."); }

QString PlannerError::onDeviceFailedMessage(const QString& reason)
{
    if (reason.isEmpty())
        return QStringLiteral("The on-device model couldn't make a plan. Try again.");
    return QStringLiteral("The on-device model couldn't make a plan: %1.").arg(reason);
}

} // namespace tavrin
