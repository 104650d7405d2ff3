#include "focus/calendarlinks.h"

#include "focus/calendar/ics.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/httpclient.h"
#include "platform/platform.h"

#include <QStringDecoder>
#include <QUrl>

namespace tavrin {

namespace {
const QString kWebcal = QStringLiteral("webcal://");

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The events of a feed's bytes; none unless they are UTF-8 text holding a
// calendar.
std::optional<QList<ICSEvent>> readFeed(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError() || !text.contains(QLatin1String("BEGIN:VCALENDAR")))
        return std::nullopt;
    return ICS::parse(text);
}
} // namespace

QStringList CalendarLinks::stored()
{
    const Defaults* defaults = Platform::current().defaults;
    const auto value = defaults ? defaults->value(kLinksKey) : std::nullopt;
    QStringList links;
    if (!value || !value->canConvert<QVariantList>())
        return links;
    for (const QVariant& v : value->toList())
        if (v.typeId() == QMetaType::QString)
            links << v.toString();
    return links;
}

std::optional<QUrl> CalendarLinks::address(const QString& link)
{
    const QString text = link.startsWith(kWebcal) ? QStringLiteral("https://") + link.mid(kWebcal.size()) : link;
    const QUrl url(text, QUrl::StrictMode);
    // Only web addresses: a link must never read a local file.
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return std::nullopt;
    return url;
}

void CalendarLinks::refreshIfDue(double now)
{
    const QStringList links = stored();
    if (links.isEmpty()) {
        events_.clear();
        occurrences_.clear();
        return;
    }
    occurrences_.refreshIfDue(events_, now);
    if (lastFetch_ && now - *lastFetch_ <= kFetchInterval)
        return;
    lastFetch_ = now;
    task_.start([this, links](CancelToken cancel) -> QCoro::Task<> { co_await fetch(links, cancel); });
}

void CalendarLinks::setLinks(const QStringList& links)
{
    if (Defaults* defaults = Platform::current().defaults)
        defaults->setValue(kLinksKey, QVariant(links).toList());
    lastFetch_.reset();
    ++generation_;
    task_.cancel();
}

QCoro::Task<> CalendarLinks::fetch(QStringList links, CancelToken cancel)
{
    const std::uint64_t generation = ++generation_;
    QList<ICSEvent> events;
    QHash<QString, QString> errors;
    for (const QString& link : links) {
        const Result result = co_await fetchOne(link, cancel);
        if (cancel.isCancelled())
            co_return;
        if (result.error)
            errors.insert(link, *result.error);
        else
            events.append(result.events);
    }
    // Which events are under way is then a look-up (see LinkOccurrences).
    const double now = Platform::current().clock->now();
    std::function<LinkOccurrences::Table()> work = [events, now] {
        return LinkOccurrences::Table::of(events, now, now + LinkOccurrences::kSpan);
    };
    QCoro::Task<LinkOccurrences::Table> working =
        Platform::current().clock->background<LinkOccurrences::Table>(std::move(work));
    LinkOccurrences::Table table = co_await std::move(working);
    // A newer fetch, or a change of the links, has made these results stale.
    if (cancel.isCancelled() || generation != generation_)
        co_return;
    events_ = std::move(events);
    occurrences_.take(std::move(table));
    const bool errorsChanged = errors != errors_;
    errors_ = std::move(errors);
    if (errorsChanged)
        emit this->errorsChanged();
    emit fetched();
}

QCoro::Task<CalendarLinks::Result> CalendarLinks::fetchOne(QString link, CancelToken cancel)
{
    const std::optional<QUrl> url = address(link);
    if (!url)
        co_return Result{{}, kNotALink};
    HttpClient* http = Platform::current().http;
    if (!http)
        co_return Result{{}, kCouldNotLoad + QStringLiteral("there is no network here.")};
    HttpRequest request;
    request.url = *url;
    request.timeout = kTimeout;
    request.maxResponseBytes = kMaxBytes;
    request.maxRedirects = kMaxRedirects;
    request.cancel = cancel;
    const HttpResponse response = co_await http->send(std::move(request));
    if (cancel.isCancelled())
        co_return Result{};
    switch (response.failure) {
    case HttpResponse::Failure::none: break;
    case HttpResponse::Failure::tooLarge: co_return Result{{}, kTooLarge};
    case HttpResponse::Failure::timedOut:
    case HttpResponse::Failure::network: co_return Result{{}, kCouldNotLoad + response.errorMessage};
    }
    // A redirect is left here only when it led too far or away from the web.
    if (response.status > 399 || isRedirect(response.status))
        co_return Result{{}, kNotACalendar};
    // Reading a large feed takes a while: away from the main thread. (Named
    // first: GCC 12 destroys a closure made inside a co_await twice.)
    std::function<std::optional<QList<ICSEvent>>()> read = [body = response.body] { return readFeed(body); };
    QCoro::Task<std::optional<QList<ICSEvent>>> reading =
        Platform::current().clock->background<std::optional<QList<ICSEvent>>>(std::move(read));
    std::optional<QList<ICSEvent>> events = co_await std::move(reading);
    if (!events)
        co_return Result{{}, kNotACalendar};
    co_return Result{std::move(*events), std::nullopt};
}

} // namespace tavrin
