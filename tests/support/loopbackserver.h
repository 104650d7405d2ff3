#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>
#include <utility>

class QTcpServer;
class QTcpSocket;

namespace tavrin::testing {

// Long enough that only a hang runs out of it, even on a machine busy with
// several builds: loopback I/O that takes milliseconds alone has taken over a
// second there.
inline constexpr int kLoopbackPatienceMs = 60000;

// Processes events until `done` holds or `limitMs` of real time have passed
// (loopback I/O only; no timer of the system runs on real time).
bool processEventsUntil(const std::function<bool()>& done, int limitMs = kLoopbackPatienceMs);

// A tiny HTTP/1.1 server on the loopback interface that records each request
// exactly as it arrived and answers as the test says: by the request's path
// when a route is set for it, else with the one reply. A client that opens a
// secure connection is recorded (method "TLS") and turned away.
class LoopbackServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray target; // path and query
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;

        // The value of a header, by case-insensitive name; empty when absent.
        QByteArray header(const QByteArray& name) const;
        QList<QByteArray> headerNames() const;
    };

    struct Reply {
        int status = 200;
        QByteArray body;
        bool hang = false;    // never answer
        bool endless = false; // a body without end, written as fast as it is taken
    };

    // A reply with further header lines, perhaps without a length (the body
    // then ends with the connection), perhaps sent only after `delayMs` of
    // real time.
    struct Route {
        Reply reply;
        QList<std::pair<QByteArray, QByteArray>> headers;
        bool withoutLength = false;
        int delayMs = 0;
    };

    explicit LoopbackServer(QObject* parent = nullptr);
    ~LoopbackServer() override;

    // http://127.0.0.1:<port>/
    QUrl base() const;
    void setReply(Reply reply) { reply_ = Route{std::move(reply), {}, false, 0}; }
    // The answer to requests for `path` ("/feed.ics").
    void setRoute(const QByteArray& path, Route route) { routes_.insert(path, std::move(route)); }
    const QList<Request>& received() const { return received_; }
    // Bytes of endless bodies written so far (each stops at 1 GiB).
    qint64 streamed() const { return streamed_; }
    // Connections the client has not closed yet.
    int openConnections() const { return open_; }

private:
    void onReadyRead(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const Route& route);
    void stream(QTcpSocket* socket);

    QTcpServer* server_;
    Route reply_;
    QHash<QByteArray, Route> routes_;
    QList<Request> received_;
    QHash<QTcpSocket*, QByteArray> buffers_;
    qint64 streamed_ = 0;
    int open_ = 0;
};

} // namespace tavrin::testing
