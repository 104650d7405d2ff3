#include "platform/linux/qthttpclient.h"

#include "platform/clock.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <qcoro/qcoronetworkreply.h>

namespace tavrin {

QtHttpClient::QtHttpClient(Clock& clock, QObject* parent)
    : HttpClient(parent), clock_(clock), manager_(new QNetworkAccessManager(this))
{
    manager_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QtHttpClient::~QtHttpClient() = default;

QCoro::Task<HttpResponse> QtHttpClient::send(HttpRequest request)
{
    QNetworkRequest net(request.url);
    for (const auto& [name, value] : request.headers)
        net.setRawHeader(name, value);

    QNetworkReply* reply = request.method == HttpRequest::Method::post ? manager_->post(net, request.body)
                                                                       : manager_->get(net);
    QPointer<QNetworkReply> guard(reply);

    // Why the reply was aborted, if it was: a time-out or an oversized answer.
    auto abortedFor = std::make_shared<HttpResponse::Failure>(HttpResponse::Failure::none);
    const auto timer = clock_.schedule(request.timeout, [guard, abortedFor] {
        if (guard && guard->isRunning()) {
            *abortedFor = HttpResponse::Failure::timedOut;
            guard->abort();
        }
    });
    const qint64 limit = request.maxResponseBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply, [guard, abortedFor, limit](qint64 received, qint64) {
        if (guard && received > limit && *abortedFor == HttpResponse::Failure::none) {
            *abortedFor = HttpResponse::Failure::network;
            guard->abort();
        }
    });

    co_await reply;
    clock_.cancel(timer);
    if (!guard)
        co_return HttpResponse::failed(HttpResponse::Failure::network, QStringLiteral("The request was dropped."));
    reply->deleteLater();

    if (*abortedFor == HttpResponse::Failure::timedOut)
        co_return HttpResponse::failed(HttpResponse::Failure::timedOut, QStringLiteral("The request timed out."));
    if (*abortedFor == HttpResponse::Failure::network)
        co_return HttpResponse::failed(HttpResponse::Failure::network, QStringLiteral("The answer was too large."));

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        co_return HttpResponse::failed(HttpResponse::Failure::network, reply->errorString());
    co_return HttpResponse{status.toInt(), reply->readAll(), HttpResponse::Failure::none, {}};
}

} // namespace tavrin
