#include "support/loopbackserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace tavrin::testing {

bool processEventsUntil(const std::function<bool()>& done, int limitMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

QByteArray LoopbackServer::Request::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

QList<QByteArray> LoopbackServer::Request::headerNames() const
{
    QList<QByteArray> names;
    for (const auto& header : headers)
        names.append(header.first.toLower());
    return names;
}

LoopbackServer::LoopbackServer(QObject* parent) : QObject(parent), server_(new QTcpServer(this))
{
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            ++open_;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                --open_;
                buffers_.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

LoopbackServer::~LoopbackServer() = default;

QUrl LoopbackServer::base() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server_->serverPort())); }

void LoopbackServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    // A client that asks for a secure connection gets none: recorded as a
    // request of the method "TLS", and the connection closed.
    if (buffer.startsWith('\x16')) {
        Request tls;
        tls.method = "TLS";
        received_.append(tls);
        buffer.clear();
        socket->disconnectFromHost();
        return;
    }
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    Request request;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> start = lines.value(0).trimmed().split(' ');
    request.method = start.value(0);
    request.target = start.value(1);
    qsizetype length = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = lines[i].left(colon).trimmed(), value = lines[i].mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("content-length", Qt::CaseInsensitive) == 0)
            length = value.toLongLong();
    }
    if (buffer.size() < end + 4 + length)
        return;
    request.body = buffer.mid(end + 4, length);
    buffer.clear();
    received_.append(request);
    const qsizetype query = request.target.indexOf('?');
    const Route& route = routes_.value(query < 0 ? request.target : request.target.left(query), reply_);
    if (route.delayMs > 0)
        QTimer::singleShot(route.delayMs, socket, [this, socket, route] { respond(socket, route); });
    else
        respond(socket, route);
}

void LoopbackServer::respond(QTcpSocket* socket, const Route& route)
{
    const Reply& reply = route.reply;
    if (reply.hang)
        return;
    if (reply.endless) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n");
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { stream(socket); });
        stream(socket);
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status)
                      + " Status\r\n"
                        "Content-Type: application/json\r\nConnection: close\r\n";
    for (const auto& [name, value] : route.headers)
        head += name + ": " + value + "\r\n";
    if (!route.withoutLength)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    socket->write(head + "\r\n" + reply.body);
    socket->disconnectFromHost();
}

void LoopbackServer::stream(QTcpSocket* socket)
{
    constexpr qint64 kChunk = 256 * 1024, kAhead = 1024 * 1024, kMost = qint64(1) << 30;
    static const QByteArray chunk(kChunk, ' ');
    if (socket->state() != QAbstractSocket::ConnectedState || streamed_ >= kMost)
        return;
    while (socket->bytesToWrite() < kAhead) {
        socket->write(chunk);
        streamed_ += kChunk;
    }
}

} // namespace tavrin::testing
