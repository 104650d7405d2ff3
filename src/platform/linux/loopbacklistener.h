#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tavrin {

// Who listens on a TCP port of this computer. Loopback is no boundary
// between the users of one computer: any of them may run a server on
// 127.0.0.1, so a server is trusted with the user's data only when every
// socket listening on its port is the user's own (or root's). The owners are
// read from the system's socket tables (/proc/net/tcp and /proc/net/tcp6).
class LoopbackListener {
public:
    // The owners (uids) of the sockets listening on `port` in these tables
    // (the text of /proc/net/tcp and /proc/net/tcp6), on any address.
    static QList<uint> owners(quint16 port, const QByteArray& tcp, const QByteArray& tcp6);

    enum class Owner {
        nobody,    // no socket listens there
        trusted,   // every one is this user's or root's
        otherUser, // one at least is another user's
    };
    static Owner of(const QList<uint>& owners);
    // Who listens on `port` of this computer now.
    static Owner ofPort(quint16 port);
};

} // namespace tavrin
