// The whole way on the simulated desktop: the bar asks Claude (a loopback
// server answering as the Messages API) for a plan, the runner moves the
// windows, the toast reports it and Undo puts every window back.

#include "barfixture.h"
#include "commandbar/planrow.h"
#include "commandbar/toastview.h"
#include "design/tbutton.h"
#include "planning/keychainstore.h"
#include "platform/linux/qthttpclient.h"
#include "support/loopbackserver.h"
#include "windows/windowmanager.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavrin {
namespace {

using namespace testing;

// The plan Claude would give: the editor and the browser in halves, by the
// numbers the request gave their windows.
QByteArray messagesAnswer(const QByteArray& requestBody)
{
    const QJsonObject body = QJsonDocument::fromJson(requestBody).object();
    const QString content = body.value("messages").toArray().at(0).toObject().value("content").toString();
    const QJsonArray windows = QJsonDocument::fromJson(content.toUtf8()).object().value("windows").toArray();
    auto indexOf = [&](const QString& app) {
        for (int i = 0; i < windows.size(); ++i)
            if (windows[i].toObject().value("app").toString() == app)
                return i;
        return -1;
    };
    const QJsonObject plan{
        {"workspaceName", "Editor and browser"},
        {"layout", "halves"},
        {"why", "The editor on the left, the browser beside it."},
        {"windows",
         QJsonArray{QJsonObject{{"app", kEditor}, {"existingWindow", indexOf(kEditor)}, {"purpose", "code"}},
                    QJsonObject{{"app", kBrowser}, {"existingWindow", indexOf(kBrowser)}, {"purpose", "docs"}}}}};
    const QJsonObject answer{
        {"content",
         QJsonArray{QJsonObject{{"type", "text"},
                                {"text", QString::fromUtf8(QJsonDocument(plan).toJson(QJsonDocument::Compact))}}}},
        {"stop_reason", "end_turn"}};
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

class EndToEnd : public BarTest {
protected:
    void SetUp() override
    {
        BarTest::SetUp();
        server.route("/v1/messages", [this](const QHttpServerRequest& request) {
            ++asked;
            keyHeader = request.value("x-api-key");
            return QHttpServerResponse("application/json", messagesAnswer(request.body()));
        });
        const quint16 port = server.listen(QHostAddress::LocalHost, 0);
        ASSERT_NE(port, 0);
        network.http = &http;
        graph =
            std::make_unique<CommandBarGraph>(windows, network, QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
        controller = std::make_unique<CommandBarController>(graph->services());
        setEngine(QStringLiteral("claude"));
        env.keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, "sk-loopback");
    }
    void TearDown() override
    {
        controller.reset();
        BarTest::TearDown();
    }

    // Loopback I/O runs on real time; nothing of the system's does.
    bool until(const std::function<bool()>& done)
    {
        return tavrin::testing::processEventsUntil([&] {
            env.clock.runDue();
            return done();
        });
    }
    std::map<std::uint64_t, Rect> frames() const
    {
        std::map<std::uint64_t, Rect> out;
        for (const SimWindow& w : env.desktop.windows())
            out[w.token] = w.frame;
        return out;
    }

    QHttpServer server;
    int asked = 0;
    QByteArray keyHeader;
    QtHttpClient http{env.clock};
    // The installed services, planning over the loopback network.
    Platform network = Platform::current();
    std::unique_ptr<CommandBarGraph> graph;
    std::unique_ptr<CommandBarController> controller;
};

TEST_F(EndToEnd, PlanArrangeAndUndoOnTheSimulatedDesktop)
{
    const auto before = frames();
    CommandBarController& bar = *controller;
    bar.show();
    settle();
    ASSERT_TRUE(bar.isShowing());
    auto* view = bar.panel()->findChild<CommandBarView*>();
    QTest::keyClicks(view->field(), kTask);
    settle();
    press(view->field(), Qt::Key_Return);
    EXPECT_EQ(bar.model().phase(), CommandBarPhase::thinking());

    ASSERT_TRUE(until([&] { return !bar.model().phase().is(CommandBarPhase::Kind::thinking); }));
    ASSERT_EQ(bar.model().phase(), CommandBarPhase::preview()) << bar.model().phase().message.toStdString();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(keyHeader, "sk-loopback");
    advance(1);
    const auto rows = view->findChildren<PlanRow*>();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->row().app, kEditor);
    EXPECT_EQ(rows[1]->row().app, kBrowser);
    EXPECT_TRUE(rows[1]->isRevealed());
    EXPECT_EQ(view->firstPreviewItems().size(), 2);

    // Return: the windows go to the halves of the ultrawide display.
    const AXWindow editor = *bar.model().rows()[0].existing;
    const AXWindow browser = *bar.model().rows()[1].existing;
    press(view->field(), Qt::Key_Return);
    ASSERT_TRUE(until([&] { return bar.toast().isShowing(); }));
    advance(2);
    const Display display = bar.model().capture()->display;
    const auto zones = rects(LayoutKind::halves, 2, display.aspect());
    const double gap = windows.gap();
    EXPECT_TRUE(editor.frame()->near(zones[0].rect(display.area, gap), 1)) << editor.frame()->x;
    EXPECT_TRUE(browser.frame()->near(zones[1].rect(display.area, gap), 1)) << browser.frame()->x;
    EXPECT_FALSE(bar.isShowing());
    EXPECT_EQ(bar.toast().panel()->findChild<ToastView*>()->text(), QStringLiteral("Arranged 2 windows"));
    ASSERT_TRUE(graph->active.get());
    EXPECT_EQ(graph->active.get()->name, QStringLiteral("Editor and browser"));

    // Undo puts every frame back.
    QTest::mouseClick(bar.toast().panel()->findChild<TButton*>(QStringLiteral("toastUndo")), Qt::LeftButton);
    settle();
    EXPECT_FALSE(bar.toast().isShowing());
    advance(3);
    const auto after = frames();
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [token, frame] : before)
        EXPECT_TRUE(after.at(token).near(frame, 0.5)) << "window " << token;
}

} // namespace
} // namespace tavrin
