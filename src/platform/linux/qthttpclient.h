#pragma once

#include "platform/httpclient.h"

class QNetworkAccessManager;

namespace tavrin {

class Clock;

// The HTTP client on Qt Network. TLS errors are never ignored; redirects are
// handed back as answers, so credentials never follow them to another host.
class QtHttpClient : public HttpClient {
    Q_OBJECT
public:
    // `clock` runs the time-outs; it must outlive the client.
    explicit QtHttpClient(Clock& clock, QObject* parent = nullptr);
    ~QtHttpClient() override;

    QCoro::Task<HttpResponse> send(HttpRequest request) override;

private:
    Clock& clock_;
    QNetworkAccessManager* manager_;
};

} // namespace tavrin
