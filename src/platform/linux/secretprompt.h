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
// whether the user went through with it (false also when it could not be
// shown).
class SecretPrompt : public QObject {
    Q_OBJECT
public:
    static constexpr int kLimitSeconds = 300;

    SecretPrompt(QDBusConnection bus, QString path, QObject* parent = nullptr);

    QCoro::Task<bool> run();

signals:
    void answered(bool completed);

private slots:
    void completed(bool dismissed, const QDBusVariant& result);

private:
    QDBusConnection bus_;
    QString path_;
};

} // namespace tavrin
