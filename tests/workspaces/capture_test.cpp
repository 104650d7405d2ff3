#include "workspacedesk.h"

#include "support/workspacefakes.h"

using namespace tavrin;

namespace {

class Capture : public WorkspaceDesk {
protected:
    const PlanRequest::Window* entry(const PlanRequest& r, const QString& titlePrefix)
    {
        for (const auto& w : r.windows)
            if (w.title.startsWith(titlePrefix))
                return &w;
        ADD_FAILURE() << "no entry titled " << titlePrefix.toStdString();
        return nullptr;
    }
};

} // namespace

TEST(ScreenCaptureText, CutsTheRequestToFiveHundredCharactersAsAPersonCountsThem)
{
    const QString thumb = QString::fromUtf8("\U0001F44D\U0001F3FD"); // one character, four UTF-16 units
    const QString accented = QStringLiteral("e\u0301");              // one character, two units
    const QString text = QString(498, 'a') + accented + thumb + QStringLiteral("tail");
    const QString cut = ScreenCapture::cutRequest(text);
    EXPECT_EQ(cut, QString(498, 'a') + accented + thumb);
    EXPECT_EQ(cut.size(), 504);
    EXPECT_EQ(ScreenCapture::cutRequest(QStringLiteral("short")), "short");
    EXPECT_EQ(ScreenCapture::cutRequest(QString()), "");
    // One character of 100,001 units is cut to 4,000, whole code points only.
    const QString stacked = QStringLiteral("a") + QString(100000, QChar(0x0301));
    EXPECT_EQ(ScreenCapture::cutRequest(stacked), stacked.left(4000));
    const QString pairs =
        QStringLiteral("a") + QString::fromUtf8("\U0001D16D").repeated(3000); // combining, two units each
    EXPECT_EQ(ScreenCapture::cutRequest(pairs), pairs.left(3999));
}

TEST_F(Capture, HasOneEntryPerWindowWithHiddenAndMinimisedMarked)
{
    const ScreenCapture c = capture();
    EXPECT_EQ(c.display.name, "Studio");
    EXPECT_EQ(c.request.name, "Studio");
    EXPECT_DOUBLE_EQ(c.request.aspect, 2560.0 / 1416.0);
    const PlanRequest r = c.planRequest(QStringLiteral("Write the report"), {});
    EXPECT_EQ(r.request, "Write the report");
    EXPECT_EQ(r.display, c.request);
    ASSERT_EQ(r.windows.size(), int(c.windows.size()));
    EXPECT_EQ(r.windows.size(), 7);
    ASSERT_TRUE(entry(r, "Ideas"));
    EXPECT_EQ(entry(r, "Ideas")->title, "Ideas (hidden app)");
    EXPECT_EQ(entry(r, "Ideas")->app, "Notes");
    EXPECT_EQ(entry(r, "zsh")->title, "zsh (minimised)");
    EXPECT_EQ(entry(r, "Inbox")->title, "Inbox");
    EXPECT_FALSE(entry(r, "Inbox")->url);

    // The state is read when the request is built, not when the capture was.
    desktop.setHidden(app("Notes")->pid, false);
    EXPECT_EQ(entry(c.planRequest(QString(), {}), "Ideas")->title, "Ideas");
}

TEST_F(Capture, GatheredTabsGoToTheWindowsTheyWereReadFor)
{
    BrowserTabMap tabs;
    tabs.insert("Safari", {{"News – Front page", "https://news.example.com/front", {}},
                           {"Docs", "https://docs.example.com/guide", {"Changelog", "API"}},
                           {"News", "https://news.example.com/", {}}});
    tabs.insert("Mail", {{"Inbox", "", {}}});
    const PlanRequest r = capture().planRequest(QString(), tabs);
    EXPECT_EQ(entry(r, "Docs")->url, "https://docs.example.com/guide");
    EXPECT_EQ(entry(r, "Docs")->otherTabs, (QStringList{"Changelog", "API"}));
    EXPECT_EQ(entry(r, "News")->url, "https://news.example.com/"); // the exact title wins over a prefix
    EXPECT_FALSE(entry(r, "News")->otherTabs);
    EXPECT_FALSE(entry(r, "Inbox")->url); // nothing read: nothing sent
}

TEST_F(Capture, ReadsTabsAsTheSettingsAllowAndAtOnceWithoutAReader)
{
    const ScreenCapture c = capture();
    // No reader yet: the request is there at once.
    QCoro::Task<PlanRequest> immediate = c.planRequest(QStringLiteral("x"));
    EXPECT_TRUE(immediate.isReady());

    int reads = 0;
    QSet<QString> asked;
    bool askedTitles = false;
    double limit = 0;
    FakeWindowContent content;
    const Registration integrations = WindowContent::install(content);
    content.onReadTabs = [&](QSet<QString> apps, bool otherTitles, double timeout) -> QCoro::Task<BrowserTabMap> {
        ++reads;
        asked = apps;
        askedTitles = otherTitles;
        limit = timeout;
        co_await Platform::current().clock->sleep(1.0);
        BrowserTabMap map;
        map.insert("Safari", {{"Docs", "https://docs.example.com/guide", {"API"}}});
        co_return map;
    };
    const PlanRequest r = finish(c.planRequest(QStringLiteral("x")));
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(asked.contains("Safari") && asked.contains("Mail"));
    EXPECT_FALSE(askedTitles); // "sendBrowserTabTitles" is off when missing
    EXPECT_DOUBLE_EQ(limit, 2.5);
    EXPECT_EQ(entry(r, "Docs")->url, "https://docs.example.com/guide");

    defaults.setValue("sendBrowserTabTitles", true);
    finish(c.planRequest(QStringLiteral("x")));
    EXPECT_TRUE(askedTitles);

    defaults.setValue("sendBrowserURLs", false);
    const PlanRequest without = finish(c.planRequest(QStringLiteral("x")));
    EXPECT_EQ(reads, 2);
    EXPECT_FALSE(entry(without, "Docs")->url);
}
