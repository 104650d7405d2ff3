#include "platform/linux/qthttpclient.h"

#include "platform/clock.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <coroutine>

namespace tavrin {

namespace {

// Qt holds at most this much of an answer that has not been read yet; the
// transfer waits while it is full, so a fast endless body never piles up.
constexpr qint64 kReadBufferBytes = qint64{64} * 1024;

// One transfer: what it has read, why it was stopped, and the end of it. Its
// destructor stops the transfer and releases the reply however the request
// ends, so nothing goes on streaming once its task has returned.
class Transfer {
public:
    Transfer(Clock& clock, QNetworkReply* reply, qint64 limit) : clock_(clock), reply_(reply), limit_(limit) {}
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer()
    {
        clock_.cancel(timer_);
        if (wake_)
            token_.forget(*wake_);
        if (reply_) {
            // Only what was connected here: Qt's own connections carry the
            // abort to the connection, which then closes.
            for (const QMetaObject::Connection& c : connections_)
                QObject::disconnect(c);
            if (reply_->isRunning())
                reply_->abort();
            reply_->deleteLater();
        }
    }

    QNetworkReply* reply() const { return reply_; }
    HttpResponse::Failure stoppedFor() const { return stoppedFor_; }
    QByteArray& body() { return body_; }

    // Stops the transfer for `why`, unless it was stopped already.
    void stop(HttpResponse::Failure why)
    {
        if (stoppedFor_ != HttpResponse::Failure::none || !reply_)
            return;
        stoppedFor_ = why;
        reply_->abort();
    }

    // Takes in what has arrived; stops the transfer once the body is over
    // the limit, so no more than the limit and one buffer is ever held.
    void read()
    {
        if (!reply_ || stoppedFor_ != HttpResponse::Failure::none)
            return;
        body_ += reply_->read(limit_ + 1 - body_.size());
        if (body_.size() > limit_)
            stop(HttpResponse::Failure::tooLarge);
    }

    void watch(double timeout, const CancelToken& cancel)
    {
        QNetworkReply* reply = reply_;
        reply->setReadBufferSize(std::min(limit_ + 1, kReadBufferBytes));
        connections_.append(QObject::connect(reply, &QNetworkReply::readyRead, reply, [this] { read(); }));
        // A declared length over the limit is refused before any of it comes.
        connections_.append(QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [this] {
            const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > limit_)
                stop(HttpResponse::Failure::tooLarge);
        }));
        timer_ = clock_.schedule(timeout, [this] { stop(HttpResponse::Failure::timedOut); });
        token_ = cancel;
        wake_ = cancel.onCancel([this] {
            wake_.reset();
            stop(HttpResponse::Failure::network);
        });
        if (!wake_)
            stop(HttpResponse::Failure::network);
    }

private:
    Clock& clock_;
    QPointer<QNetworkReply> reply_;
    QList<QMetaObject::Connection> connections_;
    qint64 limit_;
    QByteArray body_;
    HttpResponse::Failure stoppedFor_ = HttpResponse::Failure::none;
    Clock::TimerId timer_ = 0;
    CancelToken token_;
    std::optional<CancelToken::WakeId> wake_;
};

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Redirects are followed to web addresses only.
bool isFollowable(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
           && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host() == b.host()
           && a.port(a.scheme() == QLatin1String("https") ? 443 : 80)
                  == b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

// Resumes when the reply has finished, or when it is destroyed unfinished
// (its manager went away), whichever comes first.
struct FinishedAwaiter {
    QNetworkReply* reply;
    bool await_ready() const { return reply->isFinished(); }
    void await_suspend(std::coroutine_handle<> h)
    {
        auto resumed = std::make_shared<bool>(false);
        auto resume = [h, resumed] {
            if (!std::exchange(*resumed, true))
                h.resume();
        };
        QObject::connect(reply, &QNetworkReply::finished, reply, resume, Qt::SingleShotConnection);
        QObject::connect(reply, &QObject::destroyed, resume);
    }
    void await_resume() const noexcept {}
};

} // namespace

QtHttpClient::QtHttpClient(Clock& clock, QObject* parent)
    : HttpClient(parent),
      clock_(clock),
      manager_(new QNetworkAccessManager(this))
{
    manager_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QtHttpClient::~QtHttpClient() = default;

QCoro::Task<HttpResponse> QtHttpClient::send(HttpRequest request)
{
    if (request.cancel.isCancelled())
        co_return HttpResponse::failed(HttpResponse::Failure::network, QStringLiteral("The request was cancelled."));
    const double deadline = clock_.monotonic() + request.timeout;
    for (int hop = 0;; ++hop) {
        QUrl location;
        HttpResponse response = co_await transfer(request, std::max(deadline - clock_.monotonic(), 0.0), &location);
        if (hop >= request.maxRedirects || !response.answered() || !isFollowable(location))
            co_return response;
        if (!sameOrigin(location, request.url))
            request.headers.clear();
        if (response.status != 307 && response.status != 308) {
            request.method = HttpRequest::Method::get;
            request.body.clear();
        }
        request.url = location;
    }
}

QCoro::Task<HttpResponse> QtHttpClient::transfer(HttpRequest request, double timeout, QUrl* location)
{
    QNetworkRequest net(request.url);
    for (const auto& [name, value] : request.headers)
        net.setRawHeader(name, value);

    Transfer transfer(
        clock_, request.method == HttpRequest::Method::post ? manager_->post(net, request.body) : manager_->get(net),
        request.maxResponseBytes);
    transfer.watch(timeout, request.cancel);
    co_await FinishedAwaiter{transfer.reply()};

    if (!transfer.reply())
        co_return HttpResponse::failed(HttpResponse::Failure::network, QStringLiteral("The request was dropped."));
    transfer.read();
    switch (transfer.stoppedFor()) {
    case HttpResponse::Failure::timedOut:
        co_return HttpResponse::failed(HttpResponse::Failure::timedOut, QStringLiteral("The request timed out."));
    case HttpResponse::Failure::tooLarge:
        co_return HttpResponse::failed(HttpResponse::Failure::tooLarge, QStringLiteral("The answer was too large."));
    case HttpResponse::Failure::network:
        co_return HttpResponse::failed(HttpResponse::Failure::network, QStringLiteral("The request was cancelled."));
    case HttpResponse::Failure::none: break;
    }

    const QVariant status = transfer.reply()->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        co_return HttpResponse::failed(HttpResponse::Failure::network, transfer.reply()->errorString());
    if (isRedirect(status.toInt()) && transfer.reply()->hasRawHeader("Location"))
        *location = request.url.resolved(
            QUrl::fromEncoded(transfer.reply()->rawHeader("Location").trimmed(), QUrl::StrictMode));
    co_return HttpResponse{status.toInt(), std::move(transfer.body()), HttpResponse::Failure::none, {}};
}

} // namespace tavrin
