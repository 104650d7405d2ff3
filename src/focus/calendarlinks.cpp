#include "focus/calendarlinks.h"

#include "focus/calendar/ics.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/httpclient.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QUrl>
#include <atomic>
#include <memory>
#include <vector>

namespace tavrin {

namespace {
const QString kWebcal = QStringLiteral("webcal://");

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

CalendarLinks::CalendarLinks(const Platform& platform, QObject* parent)
    : QObject(parent),
      platform_(platform),
      occurrences_(platform)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            tasks_ = std::make_unique<TaskHandle>(); // the old handle calls its fetches off as it goes
            fetching_.clear();
        });
}

QStringList CalendarLinks::stored() const
{
    const Defaults* defaults = platform_.defaults;
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
        results_.clear();
        assembled_.clear();
        events_.clear();
        occurrences_.clear();
        return;
    }
    occurrences_.refreshIfDue(events_, now);
    if (lastFetch_ && now - *lastFetch_ <= kFetchInterval)
        return;
    lastFetch_ = now;
    // Runs beside a fetch still under way (whose links it leaves to it);
    // all of them are called off when this object goes.
    tasks_->replace([this, links](CancelToken cancel) -> QCoro::Task<> { co_await fetch(links, cancel); });
}

void CalendarLinks::setLinks(const QStringList& links)
{
    if (Defaults* defaults = platform_.defaults)
        defaults->setValue(kLinksKey, QVariant(links).toList());
    lastFetch_.reset();
    if (assembled_ != links) {
        keepTable();
        assemble(links);
    }
}

QCoro::Task<> CalendarLinks::fetch(QStringList links, CancelToken cancel)
{
    links.removeDuplicates();
    std::vector<QCoro::Task<>> fetches;
    for (const QString& link : links)
        if (!fetching_.contains(link))
            fetches.push_back(fetchLink(link, cancel)); // runs up to its first wait at once
    for (QCoro::Task<>& one : fetches)
        co_await std::move(one);
}

QCoro::Task<> CalendarLinks::fetchLink(QString link, CancelToken cancel)
{
    fetching_.insert(link);
    Result result = co_await fetchOne(link, cancel);
    if (cancel.isCancelled())
        co_return; // this object may be going
    fetching_.remove(link);
    take(link, std::move(result));
}

void CalendarLinks::take(const QString& link, Result result)
{
    keepTable();
    const QStringList links = stored();
    // The messages of links removed since go now, with their results.
    const QHash<QString, QString> before = errors_;
    for (const QString& old : before.keys())
        if (!links.contains(old))
            errors_.remove(old);
    for (const QString& old : results_.keys())
        if (!links.contains(old))
            results_.remove(old);
    if (links.contains(link)) {
        if (result.error)
            errors_.insert(link, *result.error);
        else
            errors_.remove(link);
        results_.emplace(link, std::move(result));
    }
    assemble(links);
    if (errors_ != before)
        emit errorsChanged();
    emit fetched();
}

void CalendarLinks::keepTable()
{
    // The current table may be newer than the links' own (it is worked out
    // again as time moves on): their parts of it replace them.
    const LinkOccurrences::Table& current = occurrences_.table();
    if (current.firsts.size() != events_.size() + 1)
        return;
    qsizetype first = 0;
    for (const QString& link : std::as_const(assembled_)) {
        const auto it = results_.find(link);
        if (it == results_.end() || it->error)
            continue;
        if (current.to > it->table.to)
            it->table = current.slice(first, it->events.size());
        first += it->events.size();
    }
}

void CalendarLinks::assemble(const QStringList& links)
{
    QList<ICSEvent> events;
    QList<LinkOccurrences::Table> parts;
    for (const QString& link : links)
        if (const auto it = results_.constFind(link); it != results_.cend() && !it->error) {
            events.append(it->events);
            parts.append(it->table);
        }
    assembled_ = links;
    events_ = std::move(events);
    occurrences_.take(LinkOccurrences::Table::join(parts));
}

QCoro::Task<CalendarLinks::Result> CalendarLinks::fetchOne(QString link, CancelToken cancel)
{
    const std::optional<QUrl> url = address(link);
    if (!url)
        co_return Result{{}, {}, kNotALink};
    HttpClient* http = platform_.http;
    if (!http)
        co_return Result{{}, {}, kCouldNotLoad + QStringLiteral("there is no network here.")};
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
    case HttpResponse::Failure::tooLarge: co_return Result{{}, {}, kTooLarge};
    case HttpResponse::Failure::timedOut:
    case HttpResponse::Failure::network: co_return Result{{}, {}, kCouldNotLoad + response.errorMessage};
    }
    // A redirect is left here only when it led too far or away from the web.
    if (response.status > 399 || isRedirect(response.status))
        co_return Result{{}, {}, kNotACalendar};
    co_return co_await read(response.body, cancel);
}

std::optional<CalendarLinks::Feed> CalendarLinks::readFeed(QByteArrayView body, double now,
                                                           const std::atomic<bool>& stop)
{
    std::optional<QList<ICSEvent>> events = ICS::parseFeed(body, ICS::systemZone(), stop);
    if (!events || stop.load())
        return std::nullopt;
    // Which of them are under way is then a look-up (see LinkOccurrences).
    LinkOccurrences::Table table = LinkOccurrences::Table::of(*events, now, now + LinkOccurrences::kSpan, &stop);
    if (stop.load())
        return std::nullopt;
    return Feed{std::move(*events), std::move(table)};
}

namespace {
// One feed's reading in the background, shared with the link's fetch, which
// may stop waiting for it; then the reading gives up within moments.
struct Reading {
    std::atomic<bool> stop{false};
    bool done = false; // main thread
    std::optional<CalendarLinks::Feed> feed;
    CancelSource finished;
};
} // namespace

QCoro::Task<CalendarLinks::Result> CalendarLinks::read(QByteArray body, CancelToken cancel)
{
    if (cancel.isCancelled())
        co_return Result{};
    const auto reading = std::make_shared<Reading>();
    Clock* clock = platform_.clock;
    const double now = clock->now();
    clock->runInBackground(
        [reading, body = std::move(body), now] { reading->feed = readFeed(body, now, reading->stop); }, nullptr,
        [reading] {
            reading->done = true;
            reading->finished.cancel();
        });
    // The wait ends when the reading is done, the limit is reached or the
    // fetch is called off, whichever comes first.
    const std::optional<CancelToken::WakeId> hook = cancel.onCancel([reading] {
        reading->stop = true;
        reading->finished.cancel();
    });
    const CancelToken finished = reading->finished.token();
    co_await clock->sleep(kReadLimit, finished);
    if (hook)
        cancel.forget(*hook);
    if (cancel.isCancelled())
        co_return Result{};
    if (!reading->done) {
        reading->stop = true; // it ends within moments, unawaited
        co_return Result{{}, {}, kTooSlow};
    }
    if (!reading->feed)
        co_return Result{{}, {}, kNotACalendar};
    co_return Result{std::move(reading->feed->events), std::move(reading->feed->table), std::nullopt};
}

} // namespace tavrin
