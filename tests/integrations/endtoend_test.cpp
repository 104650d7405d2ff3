// The integrations on the simulated desktop, the whole way: a task planned by
// Claude (a loopback server answering as the Messages API) is sent the
// browser's tabs and saved with what each window shows; the saved workspace
// brings its browser tabs back through the browser.

#include "integrationsdesk.h"

#include "commandbar/commandbarmodel.h"
#include "commandbar/commandbarplanner.h"
#include "integrations/integratedwindowcontent.h"
#include "integrations/integrations.h"
#include "planning/keychainstore.h"
#include "platform/defaults.h"
#include "platform/linux/qthttpclient.h"
#include "support/commandbargraph.h"
#include "support/loopbackserver.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/workspacerunner.h"

#include <QCoreApplication>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tavrin;

namespace {

const QString kTask = QStringLiteral("Put my docs and the browser side by side");

// The request's windows, as Claude was sent them.
QJsonArray requestWindows(const QByteArray& body)
{
    const QJsonObject o = QJsonDocument::fromJson(body).object();
    const QString content = o.value("messages").toArray().at(0).toObject().value("content").toString();
    return QJsonDocument::fromJson(content.toUtf8()).object().value("windows").toArray();
}

int indexOf(const QJsonArray& windows, const QString& app, const QString& title = {})
{
    for (int i = 0; i < windows.size(); ++i) {
        const QJsonObject w = windows[i].toObject();
        if (w.value("app").toString() == app && (title.isEmpty() || w.value("title").toString().startsWith(title)))
            return i;
    }
    return -1;
}

// The plan Claude gives: the docs tab's browser window beside the editor.
QByteArray messagesAnswer(const QByteArray& body)
{
    const QJsonArray windows = requestWindows(body);
    const QJsonObject plan{
        {"workspaceName", "Docs and browser"},
        {"layout", "halves"},
        {"why", "The docs beside the browser."},
        {"windows", QJsonArray{QJsonObject{{"app", "Safari"},
                                           {"existingWindow", indexOf(windows, "Safari", "Release")},
                                           {"purpose", "docs"},
                                           {"frontTab", "(1) issue 214 · TAVRIN"}},
                               QJsonObject{{"app", "Visual Studio Code"},
                                           {"existingWindow", indexOf(windows, "Visual Studio Code")},
                                           {"purpose", "code"}}}}};
    const QJsonObject answer{
        {"content",
         QJsonArray{QJsonObject{{"type", "text"},
                                {"text", QString::fromUtf8(QJsonDocument(plan).toJson(QJsonDocument::Compact))}}}},
        {"stop_reason", "end_turn"}};
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

class EndToEnd : public IntegrationsDesk {
protected:
    EndToEnd()
    {
        server.route("/v1/messages", [this](const QHttpServerRequest& request) {
            bodies.append(request.body());
            return QHttpServerResponse("application/json", messagesAnswer(request.body()));
        });
        port = server.listen(QHostAddress::LocalHost, 0);
        network.http = &http;
        graph =
            std::make_unique<CommandBarGraph>(windows, network, QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
        env.defaults.setValue("aiEngine", QStringLiteral("claude"));
        env.keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, "sk-loopback");
    }

    // Loopback I/O runs on real time; nothing of the system's does.
    bool until(const std::function<bool()>& done)
    {
        return tavrin::testing::processEventsUntil([&] {
            env.clock.runDue();
            return done();
        });
    }

    WindowManager windows;
    IntegratedWindowContent content{env.clock};
    Registration installed = WindowContent::install(content);
    QHttpServer server;
    quint16 port = 0;
    QList<QByteArray> bodies;
    QtHttpClient http{env.clock};
    // The installed services, planning over the loopback network.
    Platform network = Platform::current();
    std::unique_ptr<CommandBarGraph> graph;
};

TEST_F(EndToEnd, APlanRequestCarriesTheBrowsersTabsAndTheSavedWorkspaceWhatEachWindowShows)
{
    ASSERT_NE(port, 0);
    env.defaults.setValue("sendBrowserTabTitles", true);
    CommandBarModel model(graph->services());
    model.prepare();
    model.setText(kTask);
    model.submit();
    ASSERT_TRUE(until([&] { return model.phase().is(CommandBarPhase::Kind::preview); }))
        << model.phase().message.toStdString();

    ASSERT_EQ(bodies.size(), 1);
    const QJsonArray windows = requestWindows(bodies.front());
    const QJsonObject docs = windows[indexOf(windows, "Safari", "Release")].toObject();
    EXPECT_EQ(docs.value("url").toString(), "https://docs.example.com/release-checklist");
    EXPECT_EQ(docs.value("otherTabs").toArray(), (QJsonArray{"Issue 214 · tavrin", "Weather in Berlin"}));
    EXPECT_FALSE(windows[indexOf(windows, "Visual Studio Code")].toObject().contains("url"));
    // The planner's spelling of the front tab stands for the tab it designates.
    ASSERT_EQ(model.rows().size(), 2u);
    EXPECT_EQ(model.rows()[0].frontTab, "Issue 214 · tavrin");

    model.arrange(true);
    for (int i = 0; i < 100 && SavedWorkspaceStore::load().isEmpty(); ++i)
        env.clock.advance(0.05);
    ASSERT_FALSE(SavedWorkspaceStore::load().isEmpty());
    SavedWorkspace saved = SavedWorkspaceStore::load().front();
    ASSERT_TRUE(saved.items);
    ASSERT_EQ(saved.items->size(), 2);
    // Each with its window's title, and the browser's with its front tab's.
    EXPECT_EQ((*saved.items)[0].tabTitle, "Issue 214 · tavrin");
    for (SavedItem& item : *saved.items) {
        EXPECT_TRUE(item.title && !item.title->isEmpty()) << item.app.toStdString();
        item.title.reset();
        item.tabTitle.reset();
    }
    // Brought to the tab the plan named, the browser window was saved on it.
    EXPECT_EQ((*saved.items)[0], (SavedItem{"Safari", "https://code.example.com/tavrin/issues/214",
                                            QStringList{"https://docs.example.com/release-checklist",
                                                        "https://code.example.com/tavrin/issues/214",
                                                        "https://weather.example.org/berlin"},
                                            1}));
    EXPECT_EQ((*saved.items)[1],
              (SavedItem{"Visual Studio Code", "file:///Users/sam/Projects/tavrin/src/app/main.cpp", std::nullopt}));
}

TEST_F(EndToEnd, ASavedBrowserWindowComesBackWithItsTabs)
{
    SavedWorkspace saved;
    saved.name = "Research";
    saved.layout = LayoutKind::halves;
    saved.apps = {"Safari", "Google Chrome"};
    saved.savedAt = env.clock.nowDate();
    saved.items =
        QList<SavedItem>{{"Safari", "https://papers.example.com/a",
                          QStringList{"https://papers.example.com/a", "https://papers.example.com/b?utm_source=x#s"}},
                         {"Google Chrome", "https://board.example.com/",
                          QStringList{"https://board.example.com/", "https://chat.example.com/"}}};
    // Safari runs without a window to reuse; Chrome is only installed.
    std::vector<std::uint64_t> open;
    for (const SimWindow* w : env.desktop.windowsOf(env.pid("Safari")))
        open.push_back(w->token);
    for (std::uint64_t token : open)
        env.desktop.removeWindow(token);

    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(windows, Platform::current(), active);
    const auto outcome = finish(runner.arrangeSaved(saved));
    EXPECT_EQ(outcome.arranged, 2) << outcome.problem.value_or("").toStdString();
    // Safari was running: one new window with both tabs, the first in front.
    const auto safari = env.desktop.windowsOf(env.pid("Safari"));
    ASSERT_EQ(safari.size(), 1u);
    EXPECT_EQ(safari.front()->url(), "https://papers.example.com/a");
    ASSERT_EQ(safari.front()->tabs.size(), 2u);
    EXPECT_EQ(safari.front()->tabs[1].url, "https://papers.example.com/b");
    // Chrome was started first, then given its tabs in a window of its own.
    const SimApp* chrome = env.desktop.appNamed("Google Chrome");
    ASSERT_TRUE(chrome);
    const auto chromeWindows = env.desktop.windowsOf(chrome->pid);
    ASSERT_EQ(chromeWindows.size(), 2u);
    EXPECT_EQ(chromeWindows.front()->tabs.size(), 2u);
    EXPECT_EQ(scripts().filter("make new").size(), 2);

    // Switched off, a browser opens the first address only.
    runner.undo(outcome);
    env.clock.advance(2);
    Integrations::setOff("Safari", true);
    const int scriptsBefore = int(scripts().size());
    saved.items->removeLast();
    saved.apps.removeLast();
    const auto single = finish(runner.arrangeSaved(saved));
    EXPECT_EQ(single.arranged, 1);
    EXPECT_EQ(env.desktop.windowsOf(env.pid("Safari")).front()->tabs.size(), 1u);
    EXPECT_EQ(scripts().mid(scriptsBefore).filter("make new").size(), 0);
}

} // namespace
