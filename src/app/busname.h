#pragma once

#include <QDBusConnection>
#include <QString>

namespace tavrin {

// The well-known names this program answers on, on the user's session bus,
// and the checks of whoever answers on them. Any program of the session may
// ask for any free name: one that took a name first must neither keep it
// from Tavrin for the whole run nor be taken for Tavrin by a client.
class BusName {
public:
    // `prefix` + ".s" + a digest of the settings file's real path (its links
    // followed): each Tavrin answers for its own settings, and a client
    // reaches the Tavrin of the settings it would use itself, by whatever
    // path it names them.
    static QString forSettings(const QString& prefix, const QString& settingsPath);

    enum class Taken {
        now,
        // Another process holds it; the bus hands it to this one the
        // moment that process lets it go.
        queued,
        refused,
    };
    // Asks for `name`, waiting in the bus's queue for it when it is held.
    static Taken take(QDBusConnection bus, const QString& name);

    // The owner of `name` (its unique name, to call so that the name can't
    // change hands between the check and the call) when it is a Tavrin of
    // this user. Empty otherwise, with `why` empty when nobody owns the
    // name, else saying why the owner is not believed: a process of another
    // user, or another program. The program is told by its executable: the
    // same file as this one (by device and inode, whatever its name, and
    // still after it is replaced on disk); a copy is another program.
    static QString trustedOwner(QDBusConnection bus, const QString& name, QString* why);
};

} // namespace tavrin
