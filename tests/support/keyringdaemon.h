#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tavrin {

// A desktop keyring of the test's own: a session bus that starts nothing on
// demand and, unless told otherwise, gnome-keyring-daemon on it with a login
// keyring (unlocked by a password) in a temporary home. The keyring
// library's session bus is pointed at it (make it before the library is
// first used); Qt's own connection to it is `bus()`. `problem()` says why it
// could not be made.
class KeyringDaemon {
public:
    // `withoutLogin`: the daemon started without --unlock, as on a desktop
    // that does not unlock a login keyring at log-in: it has no default
    // keyring until one is made.
    enum class Keyring { none, running, withoutLogin };
    struct Options {
        Keyring keyring = Keyring::running;
        // The keyring's prompts show on this X display (the bus starts the
        // desktop's prompter there on demand); none: no prompt can show.
        QString promptDisplay;
    };

    explicit KeyringDaemon(Keyring keyring = Keyring::running) : KeyringDaemon(Options{keyring, {}}) {}
    explicit KeyringDaemon(const Options& options);
    // The bus's address, for a program started on it.
    QString address() const { return address_; }
    bool defaultKeyringExists() const { return !defaultKeyring().isEmpty(); }
    bool defaultKeyringLocked() const
    {
        bool locked = false;
        return defaultLocked(&locked) && locked;
    }
    ~KeyringDaemon();
    KeyringDaemon(const KeyringDaemon&) = delete;
    KeyringDaemon& operator=(const KeyringDaemon&) = delete;

    QString problem() const { return problem_; }
    QDBusConnection bus() const;
    // Locks the default keyring, as the screen locker or the user does.
    bool lock();
    // Unlocks it with the password, as the user does at the keyring's prompt.
    bool unlock();

private:
    bool startDaemon(QProcess& daemon, const QStringList& arguments, bool withLogin = true);
    // The default keyring's object path; empty when none is offered.
    QString defaultKeyring() const;
    bool defaultLocked(bool* locked) const;

    QTemporaryDir home_;
    QProcess bus_;
    QProcess daemon_;
    QString address_;
    QString problem_;
};

} // namespace tavrin
