#include "planningfixture.h"
#include "platform/taskhandle.h"

#include <QNetworkReply>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
class QtHttpClientTest : public PlanningTest {
protected:
    QUrl at(const char* path) const { return server.base().resolved(QUrl(QString::fromLatin1(path))); }

    // Whether every reply of the client has been released.
    bool noReplyLeft()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return http.findChildren<QNetworkReply*>().isEmpty();
    }
};
} // namespace

TEST_F(QtHttpClientTest, ReturnsEveryStatusAndBodyAsAValue)
{
    answer(404, R"({"error":"none here"})");
    const HttpResponse response = finish(http.get(at("x?y=1"), {{"X-One", "1"}}, 5));
    ASSERT_TRUE(response.answered());
    EXPECT_EQ(response.status, 404);
    EXPECT_EQ(response.body, R"({"error":"none here"})");
    EXPECT_EQ(server.received()[0].target, "/x?y=1");
    EXPECT_EQ(server.received()[0].header("x-one"), "1");

    answer(200, "{}");
    const HttpResponse posted = finish(http.postJson(at("p"), "{\"a\":1}", {}, 5));
    EXPECT_EQ(posted.status, 200);
    EXPECT_EQ(server.received()[1].body, "{\"a\":1}");
    EXPECT_EQ(server.received()[1].header("content-type"), "application/json");
}

TEST_F(QtHttpClientTest, DoesNotFollowRedirects)
{
    answer(302, "");
    const HttpResponse response = finish(http.get(at("moved"), {{"x-api-key", "secret"}}, 5));
    EXPECT_EQ(response.status, 302);
    EXPECT_EQ(server.received().size(), 1);
}

TEST_F(QtHttpClientTest, FollowsRedirectsOnlyWhenAskedUpToTheLimitAndOnlyToTheWeb)
{
    using Route = LoopbackServer::Route;
    const auto redirect = [](const QByteArray& to, int status = 302) {
        return Route{{status, {}, false, false}, {{"Location", to}}, false, 0};
    };
    server.setRoute("/a", redirect("/b", 301));
    server.setRoute("/b", redirect(at("c").toEncoded(), 307));
    server.setRoute("/c", Route{{200, "BEGIN:VCALENDAR", false, false}, {}, false, 0});
    HttpRequest request;
    request.url = at("a");
    request.headers = {{"X-Token", "t"}};
    request.maxRedirects = 2;
    const HttpResponse followed = finish(http.send(request));
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body, "BEGIN:VCALENDAR");
    ASSERT_EQ(server.received().size(), 3);
    // The same origin keeps the headers.
    EXPECT_EQ(server.received()[2].header("x-token"), "t");

    // One hop too many: the last redirect is the answer.
    request.maxRedirects = 1;
    EXPECT_EQ(finish(http.send(request)).status, 307);
    EXPECT_EQ(server.received().size(), 5);

    // Never to anything but http or https.
    server.setRoute("/file", redirect("file:///etc/passwd"));
    request.url = at("file");
    request.maxRedirects = 5;
    EXPECT_EQ(finish(http.send(request)).status, 302);

    // A loop ends at the limit.
    server.setRoute("/loop", redirect("/loop"));
    request.url = at("loop");
    const qsizetype before = server.received().size();
    EXPECT_EQ(finish(http.send(request)).status, 302);
    EXPECT_EQ(server.received().size() - before, 6);
    EXPECT_TRUE(noReplyLeft());
}

TEST_F(QtHttpClientTest, GivesUpAnAnswerDeclaredLargerThanTheCap)
{
    answer(200, QByteArray(4096, 'x'));
    HttpRequest request;
    request.url = at("big");
    request.maxResponseBytes = 1024;
    const HttpResponse response = finish(http.send(request));
    EXPECT_FALSE(response.answered());
    EXPECT_EQ(response.failure, HttpResponse::Failure::tooLarge);
    EXPECT_EQ(response.errorMessage, "The answer was too large.");

    // Exactly the cap is an answer.
    answer(200, QByteArray(1024, 'x'));
    EXPECT_EQ(finish(http.send(request)).body.size(), 1024);
    EXPECT_TRUE(noReplyLeft());
}

TEST_F(QtHttpClientTest, StopsAnEndlessAnswerAtTheCapAsItArrives)
{
    server.setReply({200, {}, false, true});
    HttpRequest request;
    request.url = at("endless");
    request.maxResponseBytes = 1024 * 1024;
    const HttpResponse response = finish(http.send(request));
    EXPECT_EQ(response.failure, HttpResponse::Failure::tooLarge);
    EXPECT_TRUE(response.body.isEmpty());
    // The connection closes at once: the server wrote little more than the
    // cap and what the sockets buffer on the way.
    ASSERT_TRUE(processEventsUntil([&] { return server.openConnections() == 0; }));
    EXPECT_LT(server.streamed(), 64 * 1024 * 1024);
    EXPECT_EQ(clock.pendingTimers(), 0u);
    EXPECT_TRUE(noReplyLeft());
}

TEST_F(QtHttpClientTest, ACancelledRequestEndsInsideTheCancelAndClosesItsConnection)
{
    server.setReply({200, {}, true});
    TaskHandle task;
    std::optional<HttpResponse> response;
    task.start([&](CancelToken cancel) -> QCoro::Task<> {
        HttpRequest request;
        request.url = at("slow");
        request.cancel = std::move(cancel);
        response = co_await http.send(std::move(request));
    });
    ASSERT_TRUE(processEventsUntil([&] { return !server.received().isEmpty(); }));
    task.cancel();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->failure, HttpResponse::Failure::network);
    EXPECT_EQ(clock.pendingTimers(), 0u); // its time-out is gone too
    EXPECT_TRUE(noReplyLeft());
    EXPECT_TRUE(processEventsUntil([&] { return server.openConnections() == 0; }));
}

TEST_F(QtHttpClientTest, TimesOutOnThePlatformClockOnly)
{
    server.setReply({200, {}, true});
    Pending pending(http.get(at("slow"), {}, 2.5));
    ASSERT_TRUE(processEventsUntil([&] { return !server.received().isEmpty(); }));
    clock.advance(2.4);
    QCoreApplication::processEvents();
    EXPECT_FALSE(pending.done());
    clock.advance(0.1);
    const HttpResponse response = pending.result();
    EXPECT_EQ(response.failure, HttpResponse::Failure::timedOut);
    EXPECT_EQ(response.status, 0);
}
