#include "platform/linux/secretprompt.h"

#include "platform/clock.h"
#include "platform/platform.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <qcoro/qcorodbuspendingcall.h>
#include <qcoro/qcorosignal.h>

namespace tavrin {

namespace {
const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QString kPromptInterface = QStringLiteral("org.freedesktop.Secret.Prompt");
} // namespace

SecretPrompt::SecretPrompt(QDBusConnection bus, QString path, QObject* parent)
    : QObject(parent),
      bus_(std::move(bus)),
      path_(std::move(path))
{}

void SecretPrompt::completed(bool dismissed, const QDBusVariant&)
{
    emit answered(dismissed ? Outcome::cancelled : Outcome::completed);
}

QCoro::Task<SecretPrompt::Outcome> SecretPrompt::run()
{
    if (!bus_.connect(kSecrets, path_, kPromptInterface, QStringLiteral("Completed"), this,
                      SLOT(completed(bool, QDBusVariant))))
        co_return Outcome::unanswered;
    QDBusMessage prompt = QDBusMessage::createMethodCall(kSecrets, path_, kPromptInterface, QStringLiteral("Prompt"));
    prompt << QString(); // no parent window to name
    QDBusPendingCall shown = bus_.asyncCall(prompt, 2000);
    const QDBusMessage reply = co_await shown;
    Outcome done = Outcome::unanswered;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        // The user answers in their own time; one who walks away has the
        // prompt dismissed for them.
        std::optional<Clock::TimerId> limit;
        if (Platform::isInstalled())
            limit = Platform::current().clock->singleShot(kLimitSeconds, this, [this] {
                QDBusMessage dismiss =
                    QDBusMessage::createMethodCall(kSecrets, path_, kPromptInterface, QStringLiteral("Dismiss"));
                bus_.asyncCall(dismiss, 2000);
                emit answered(Outcome::unanswered);
            });
        auto answer = qCoro(this, &SecretPrompt::answered);
        done = co_await std::move(answer);
        if (limit)
            Platform::current().clock->cancel(*limit);
    }
    bus_.disconnect(kSecrets, path_, kPromptInterface, QStringLiteral("Completed"), this,
                    SLOT(completed(bool, QDBusVariant)));
    co_return done;
}

} // namespace tavrin
