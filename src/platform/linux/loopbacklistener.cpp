#include "platform/linux/loopbacklistener.h"

#include "platform/linux/privatefile.h"

#include <unistd.h>

namespace tavrin {

namespace {
constexpr char kListening[] = "0A"; // TCP_LISTEN, as the tables write it
// The tables of a busy computer are long, but never this long.
constexpr qint64 kMaxTable = qint64{16} * 1024 * 1024;

void collect(quint16 port, const QByteArray& table, QList<uint>* owners)
{
    // "sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid …",
    // an address as hex digits, a colon and the port in hex.
    const QList<QByteArray> lines = table.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() < 8 || fields[3] != kListening)
            continue;
        const QByteArray& local = fields[1];
        const qsizetype colon = local.lastIndexOf(':');
        bool portOk = false, uidOk = false;
        const uint listening = colon < 0 ? 0 : local.mid(colon + 1).toUInt(&portOk, 16);
        const uint uid = fields[7].toUInt(&uidOk);
        if (portOk && uidOk && listening == port)
            owners->append(uid);
    }
}
} // namespace

QList<uint> LoopbackListener::owners(quint16 port, const QByteArray& tcp, const QByteArray& tcp6)
{
    QList<uint> found;
    collect(port, tcp, &found);
    collect(port, tcp6, &found);
    return found;
}

LoopbackListener::Owner LoopbackListener::of(const QList<uint>& owners)
{
    if (owners.isEmpty())
        return Owner::nobody;
    for (const uint uid : owners)
        if (uid != ::getuid() && uid != 0)
            return Owner::otherUser;
    return Owner::trusted;
}

LoopbackListener::Owner LoopbackListener::ofPort(quint16 port)
{
    const PrivateFile::Read tcp = PrivateFile::read(QStringLiteral("/proc/net/tcp"), kMaxTable);
    const PrivateFile::Read tcp6 = PrivateFile::read(QStringLiteral("/proc/net/tcp6"), kMaxTable);
    return of(owners(port, tcp.bytes, tcp6.bytes));
}

} // namespace tavrin
