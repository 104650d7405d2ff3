#pragma once

#include "platform/httpclient.h"

class QNetworkAccessManager;

namespace tavrin {

class Clock;

// The HTTP client on Qt Network. TLS errors are never ignored; redirects are
// handed back as answers unless the request asks for them to be followed,
// and credentials never follow them to another host.
class QtHttpClient : public HttpClient {
    Q_OBJECT
public:
    // `clock` runs the time-outs; it must outlive the client.
    explicit QtHttpClient(Clock& clock, QObject* parent = nullptr);
    ~QtHttpClient() override;

    QCoro::Task<HttpResponse> send(HttpRequest request) override;

private:
    // One request and its answer, without following a redirect; a
    // redirect's target (resolved against `request.url`) goes to `location`.
    QCoro::Task<HttpResponse> transfer(HttpRequest request, double timeout, QUrl* location);

    Clock& clock_;
    QNetworkAccessManager* manager_;
};

} // namespace tavrin
