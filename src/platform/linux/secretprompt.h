#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <qcoro/qcorotask.h>

namespace tavrin {

// One prompt of the freedesktop secret service (the keyring asks the user,
// in a window of its own, for a password): shown, then waited for until the
// user answers it or kLimitSeconds pass, when it is dismissed. Answers
// whether the user went through with it, cancelled it, or neither (it could
// not be shown, or was left unanswered).
class SecretPrompt : public QObject {
    Q_OBJECT
public:
    static constexpr int kLimitSeconds = 300;

    enum class Outcome { completed, cancelled, unanswered };

    SecretPrompt(QDBusConnection bus, QString path, QObject* parent = nullptr);

    QCoro::Task<Outcome> run();

signals:
    void answered(tavrin::SecretPrompt::Outcome outcome);

private slots:
    void completed(bool dismissed, const QDBusVariant& result);

private:
    QDBusConnection bus_;
    QString path_;
};

} // namespace tavrin
