// Browser tabs for plan requests, tab selection and restoring, and the tab
// title matcher.

#include "integrationsdesk.h"

#include "integrations/browserurls.h"
#include "integrations/integrations.h"

using namespace tavrin;

namespace {

const QByteArray kDesk = R"json({
  "displays": [ { "name": "Studio", "frame": [0, 0, 2560, 1440] } ],
  "apps": [
    { "name": "Tavrin", "self": true, "policy": "accessory" },
    { "name": "Safari", "bundleId": "com.apple.Safari" },
    { "name": "Google Chrome", "bundleId": "com.google.Chrome" },
    { "name": "Firefox" },
    { "name": "Slack" }
  ],
  "windows": [
    { "app": "Safari", "frame": [0, 30, 900, 700], "activeTab": 1,
      "tabs": [ { "title": "(2) Inbox", "url": "https://mail.example.com/#inbox" },
                { "title": "Budget", "url": "https://user:pw@sheets.example.com/b?id=3" },
                { "title": "Budget", "url": "https://sheets.example.com/pinned" },
                { "title": "  ", "url": "https://blank.example.com/" } ] },
    { "app": "Safari", "frame": [0, 30, 900, 700],
      "tabs": [ { "title": "Local", "url": "file:///Users/sam/page.html" },
                { "title": "Budget", "url": "https://sheets.example.com/copy" } ] },
    { "app": "Google Chrome", "frame": [0, 30, 900, 700],
      "tabs": [ { "title": "One", "url": "https://one.example.com/" } ] },
    { "app": "Google Chrome", "frame": [0, 30, 900, 700], "activeTab": 0,
      "tabs": [ { "title": "Docs", "url": "https://docs.example.com/" },
                { "title": "Plan", "url": "https://plan.example.com/" },
                { "title": "Notes", "url": "https://notes.example.com/" },
                { "title": "(3) Review queue", "url": "https://review.example.com/" } ] }
  ]
})json";

class Browsers : public IntegrationsDesk {
protected:
    Browsers() : IntegrationsDesk(kDesk) {}
    BrowserTabMap read(const QSet<QString>& apps, bool otherTitles, double timeout = 2.5)
    {
        return finish(BrowserURLs::tabs(apps, otherTitles, timeout));
    }
};

TEST_F(Browsers, ReadScriptsInEachBrowsersWords)
{
    EXPECT_EQ(
        BrowserURLs::readScript("Safari", false),
        "tell application \"Safari\" to get {name of current tab of every window, URL of current tab of every window}");
    EXPECT_EQ(BrowserURLs::readScript("Safari", true),
              "tell application \"Safari\" to get {name of current tab of every window, URL of current tab of every "
              "window, name of every tab of every window}");
    EXPECT_EQ(BrowserURLs::readScript("Google Chrome", false),
              "tell application \"Google Chrome\" to get {title of active tab of every window, URL of active tab of "
              "every window}");
    EXPECT_EQ(BrowserURLs::readScript("Brave Browser", true),
              "tell application \"Brave Browser\" to get {title of active tab of every window, URL of active tab of "
              "every window, title of every tab of every window}");
    EXPECT_FALSE(BrowserURLs::readScript("Firefox", false));
    EXPECT_TRUE(BrowserURLs::isSupported("Dia"));
    EXPECT_FALSE(BrowserURLs::isSupported("google chrome"));
}

TEST_F(Browsers, FrontTabsWithCleanedAddressesAndTheOtherTitles)
{
    const BrowserTabMap tabs = read({"Safari", "Google Chrome", "Slack"}, true);
    ASSERT_EQ(tabs.size(), 2);
    // The local page's window is left out; the address loses what does not
    // identify the page; the front tab's title is left out of the others
    // once (the pinned duplicate stays), blank titles go.
    EXPECT_EQ(tabs["Safari"],
              (QList<BrowserWindowTabs>{{"Budget", "https://sheets.example.com/b", {"(2) Inbox", "Budget"}}}));
    EXPECT_EQ(tabs["Google Chrome"],
              (QList<BrowserWindowTabs>{{"One", "https://one.example.com/", {}},
                                        {"Docs", "https://docs.example.com/", {"Plan", "Notes", "(3) Review queue"}}}));
    EXPECT_EQ(read({"Google Chrome"}, false)["Google Chrome"].back().others, QStringList());
}

TEST_F(Browsers, OtherTitlesAreCappedAndCut)
{
    SimWindow w;
    w.pid = env.pid("Google Chrome");
    w.frame = Rect(0, 30, 900, 700);
    w.tabs.push_back({"Front", "https://front.example.com/"});
    for (int i = 0; i < 50; ++i)
        w.tabs.push_back({i == 0 ? QString(200, u'x') : QStringLiteral("Tab %1").arg(i), "https://example.com/"});
    w.title = "Front";
    env.desktop.addWindow(w);
    const QStringList others = read({"Google Chrome"}, true)["Google Chrome"].front().others;
    ASSERT_EQ(others.size(), 30);
    EXPECT_EQ(others.front(), QString(120, u'x'));
    EXPECT_EQ(others.back(), "Tab 29");
}

TEST_F(Browsers, OnlySupportedBrowsersAreAsked)
{
    EXPECT_TRUE(read({"Firefox", "Slack"}, true).isEmpty());
    EXPECT_TRUE(scripts().isEmpty());
}

TEST_F(Browsers, ALateAnswerIsDroppedButAwaited)
{
    env.desktop.setScriptDelay(env.pid("Safari"), 3.0);
    const double start = env.clock.monotonic();
    const BrowserTabMap tabs = read({"Safari", "Google Chrome"}, false, 2.5);
    EXPECT_TRUE(tabs.isEmpty());
    // The call returned only after the browser had answered.
    EXPECT_GE(env.clock.monotonic() - start, 3.0);
    EXPECT_EQ(scripts().size(), 2);

    env.desktop.setScriptDelay(env.pid("Safari"), 2.0);
    EXPECT_EQ(read({"Safari"}, false).size(), 1);
}

TEST_F(Browsers, TabsMatchingAWindowTitle)
{
    const QList<BrowserWindowTabs> read{
        {"Inbox", "https://a/", {}}, {"", "https://b/", {}}, {"Inbox - Google Chrome", "https://c/", {}}};
    EXPECT_EQ(tabsMatching("Inbox - Google Chrome", read)->url, "https://c/");
    EXPECT_EQ(tabsMatching("Inbox - Google Chrome", read.mid(0, 2))->url, "https://a/");
    EXPECT_EQ(tabsMatching("", read), nullptr);
    EXPECT_EQ(tabsMatching("Mail", read), nullptr);
}

TEST_F(Browsers, TheTitleATabTitleDesignates)
{
    const QStringList tabs{"Inbox", "Docs – Budget", "Docs – Plan", "Release notes"};
    EXPECT_EQ(cleanTabTitle("Inbox", tabs), "Inbox");
    EXPECT_EQ(cleanTabTitle("(2) inbox", tabs), "Inbox");
    EXPECT_EQ(cleanTabTitle("(99+)   INBOX ", tabs), "Inbox");
    EXPECT_EQ(cleanTabTitle("Do", tabs), std::nullopt);                  // too short
    EXPECT_EQ(cleanTabTitle("Docs", tabs), std::nullopt);                // two begin with it
    EXPECT_EQ(cleanTabTitle("Docs – Plan for Q3", tabs), "Docs – Plan"); // begins it
    EXPECT_EQ(cleanTabTitle("notes", tabs), "Release notes");            // contained once
    EXPECT_EQ(cleanTabTitle("Calendar", tabs), std::nullopt);
    EXPECT_EQ(normaliseTabTitle(" (3)  Review\tqueue\n"), "review queue");
}

TEST_F(Browsers, SelectsTheDesignatedTabInTheRightWindow)
{
    EXPECT_TRUE(BrowserURLs::restoreScript("Google Chrome", "Docs - Google Chrome", "Review queue"));
    EXPECT_EQ(scripts(), (QStringList{"tell application \"Google Chrome\" to get {title of active tab of every window, "
                                      "title of every tab of every window}",
                                      "tell application \"Google Chrome\" to set active tab index of window 2 to 4"}));
    EXPECT_EQ(env.window("(3) Review queue")->activeTab, 3);

    // Safari: the window whose front tab begins the given title is searched
    // first, though the other has a tab of that title too.
    EXPECT_TRUE(BrowserURLs::restoreScript("Safari", "Local — page", "budget"));
    EXPECT_EQ(scripts().last(), "tell application \"Safari\" to set current tab of window 2 to tab 2 of window 2");
    EXPECT_EQ(env.desktop.windowsOf(env.pid("Safari"))[1]->url(), "https://sheets.example.com/copy");

    const int before = int(scripts().size());
    EXPECT_FALSE(BrowserURLs::restoreScript("Safari", "Budget", "Weather"));
    EXPECT_EQ(scripts().size(), before + 1); // read, nothing selected
    EXPECT_FALSE(BrowserURLs::restoreScript("Firefox", "Budget", "Budget"));
    EXPECT_EQ(scripts().size(), before + 1);
}

TEST_F(Browsers, RestoringOpensOneWindowWithTheFirstFortyAddresses)
{
    QStringList urls;
    for (int i = 0; i < 45; ++i)
        urls << QStringLiteral("https://example.com/%1").arg(i);
    urls[1] = R"(https://example.com/a"b\c)";
    const auto windowsBefore = env.desktop.windowsOf(env.pid("Google Chrome")).size();
    EXPECT_TRUE(Integrations::restoreTabs("Google Chrome", urls));
    const QString script = scripts().last();
    EXPECT_TRUE(
        script.startsWith("tell application \"Google Chrome\"\n"
                          "  make new window\n"
                          "  set URL of active tab of front window to \"https://example.com/0\"\n"
                          "  repeat with u in {\"https://example.com/a%22b%5Cc\", \"https://example.com/2\", "));
    EXPECT_TRUE(script.endsWith(", \"https://example.com/39\"}\n"
                                "    tell front window to make new tab with properties {URL:u}\n"
                                "  end repeat\n"
                                "  set active tab index of front window to 1\n"
                                "end tell"));
    const auto windows = env.desktop.windowsOf(env.pid("Google Chrome"));
    ASSERT_EQ(windows.size(), windowsBefore + 1);
    EXPECT_EQ(windows.front()->tabs.size(), 40u);
    EXPECT_EQ(windows.front()->url(), "https://example.com/0");

    EXPECT_TRUE(Integrations::restoreTabs("Safari", {"https://only.example.com/"}));
    EXPECT_EQ(scripts().last(), "tell application \"Safari\"\n"
                                "  make new document with properties {URL:\"https://only.example.com/\"}\n"
                                "  repeat with u in {}\n"
                                "    tell front window to make new tab at end of tabs with properties {URL:u}\n"
                                "  end repeat\n"
                                "  tell front window to set current tab to tab 1\n"
                                "end tell");
    EXPECT_EQ(env.desktop.windowsOf(env.pid("Safari")).front()->tabs.size(), 1u);

    const int scriptsBefore = int(scripts().size());
    EXPECT_FALSE(Integrations::restoreTabs("Safari", {}));
    EXPECT_EQ(scripts().size(), scriptsBefore);
    env.desktop.setScriptsFail(env.pid("Safari"), true);
    EXPECT_FALSE(Integrations::restoreTabs("Safari", {"https://only.example.com/"}));
}

} // namespace
