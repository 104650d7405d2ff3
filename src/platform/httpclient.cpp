#include "platform/httpclient.h"

namespace tavrin {

QCoro::Task<HttpResponse> HttpClient::postJson(QUrl url, QByteArray body, QList<HttpRequest::Header> headers,
                                               double timeout)
{
    HttpRequest request;
    request.method = HttpRequest::Method::post;
    request.url = std::move(url);
    request.headers = {{"Content-Type", "application/json"}};
    request.headers.append(headers);
    request.body = std::move(body);
    request.timeout = timeout;
    co_return co_await send(std::move(request));
}

QCoro::Task<HttpResponse> HttpClient::get(QUrl url, QList<HttpRequest::Header> headers, double timeout)
{
    HttpRequest request;
    request.url = std::move(url);
    request.headers = std::move(headers);
    request.timeout = timeout;
    co_return co_await send(std::move(request));
}

} // namespace tavrin
