#pragma once

#include "platform/taskhandle.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <qcoro/qcorotask.h>
#include <utility>

namespace tavrin {

struct HttpRequest {
    enum class Method { get, post };
    using Header = std::pair<QByteArray, QByteArray>;

    Method method = Method::get;
    QUrl url;
    QList<Header> headers;
    QByteArray body;
    // Seconds until the request is given up, on the platform clock.
    double timeout = 30.0;
    // An answer with a larger body is given up (`Failure::tooLarge`) as soon
    // as it is seen to be larger; no more than this is ever held of it.
    qint64 maxResponseBytes = 8LL * 1024 * 1024;
    // When this is cancelled the transfer ends at once (`Failure::network`).
    CancelToken cancel;
    // Redirects followed, at most this many and only to http or https
    // addresses; a redirect beyond them is the answer. `timeout` covers them
    // all, `maxResponseBytes` each. A followed redirect asks again with a GET
    // and no body (the same method and body for 307 and 308), and without
    // the headers when it leads to another scheme, host or port.
    int maxRedirects = 0;
};

// An HTTP answer, or why there is none. Any status (including 4xx and 5xx)
// counts as an answer; `failure` says when no answer came.
struct HttpResponse {
    enum class Failure { none, timedOut, tooLarge, network };

    int status = 0;
    QByteArray body;
    Failure failure = Failure::network;
    QString errorMessage; // what went wrong, for a failure

    bool answered() const { return failure == Failure::none; }
    static HttpResponse failed(Failure why, QString message) { return {0, {}, why, std::move(message)}; }
};

// HTTPS requests with JSON bodies. Requests never block the main thread;
// their time-outs run on the platform clock. Redirects are not followed
// unless a request asks for it (`maxRedirects`).
// However a request ends (answer, failure, time-out, cancellation), its
// transfer is stopped and released by the time its task returns.
class HttpClient : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QCoro::Task<HttpResponse> send(HttpRequest request) = 0;

    // A POST of a JSON body (with "Content-Type: application/json" first).
    QCoro::Task<HttpResponse> postJson(QUrl url, QByteArray body, QList<HttpRequest::Header> headers, double timeout);
    QCoro::Task<HttpResponse> get(QUrl url, QList<HttpRequest::Header> headers, double timeout);
};

} // namespace tavrin
