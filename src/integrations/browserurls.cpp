#include "integrations/browserurls.h"

#include "integrations/integrations.h"
#include "integrations/urlcleaner.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "workspaces/textcut.h"

#include <functional>
#include <mutex>

namespace tavrin {

namespace {

// The reads for plan requests run one at a time, in work items of their own.
std::mutex& readQueue()
{
    static std::mutex queue;
    return queue;
}

// Asks a browser directly: neither the integrations' turn nor the queue.
std::optional<QList<BrowserWindow>> askWindows(const Integration& row, const QString& script)
{
    Automation* automation = Platform::current().automation;
    return automation ? automation->browserWindows(Integrations::target(row), script, Integrations::kScriptTimeLimit)
                      : std::nullopt;
}

// The browser row named `app`, or null.
const Integration* browserRow(const QString& app)
{
    const Integration* row = Integrations::byName(app);
    return row && row->how == Integration::How::browser ? row : nullptr;
}

bool isSafari(const Integration& row) { return row.app == QLatin1String("Safari"); }

QString trimSpaces(QString text)
{
    while (text.startsWith(u' ') || text.startsWith(u'\t'))
        text.remove(0, 1);
    while (text.endsWith(u' ') || text.endsWith(u'\t'))
        text.chop(1);
    return text;
}

// A browser's name for a script: backslashes and double quotes escaped.
QString quotedName(const QString& app)
{
    QString escaped = app;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// The other tabs' titles: trimmed, blanks skipped, the front tab's title
// skipped once, each cut to 120 characters, at most 30.
QStringList otherTitles(const BrowserWindow& window, const QString& front)
{
    QStringList out;
    bool frontSkipped = false;
    for (const BrowserTab& tab : window.tabs) {
        const QString title = trimSpaces(tab.title);
        if (title.isEmpty())
            continue;
        if (!frontSkipped && title == front) {
            frontSkipped = true;
            continue;
        }
        out.append(firstCharacters(title, BrowserURLs::kMaxTitleLength));
        if (out.size() == BrowserURLs::kMaxOtherTitles)
            break;
    }
    return out;
}

struct TimedRead {
    BrowserTabMap map;
    double finishedAt = 0;
};

} // namespace

const QSet<QString>& BrowserURLs::chromium()
{
    static const QSet<QString> names{QStringLiteral("Arc"),           QStringLiteral("Google Chrome"),
                                     QStringLiteral("Brave Browser"), QStringLiteral("Microsoft Edge"),
                                     QStringLiteral("Vivaldi"),       QStringLiteral("Dia")};
    return names;
}

bool BrowserURLs::isSupported(const QString& app)
{
    if (!Integrations::scriptsApplications())
        return browserRow(app) != nullptr;
    return app == QLatin1String("Safari") || chromium().contains(app);
}

QCoro::Task<BrowserTabMap> BrowserURLs::tabs(QSet<QString> apps, bool otherTitles, double timeout)
{
    QStringList browsers;
    for (const QString& app : apps)
        if (isSupported(app))
            browsers.append(app);
    if (browsers.isEmpty())
        co_return BrowserTabMap();
    Clock& clock = *Platform::current().clock;
    // The limit decides only whether the answer is used: the read is a
    // script the browser must finish, and it ends in its own time.
    const double deadline = clock.monotonic() + timeout;
    std::function<TimedRead()> read = [browsers, otherTitles, &clock] {
        const std::lock_guard queue(readQueue());
        TimedRead out;
        for (const QString& app : browsers)
            out.map.insert(app, run(app, otherTitles));
        out.finishedAt = clock.monotonic();
        return out;
    };
    TimedRead result = co_await clock.background(std::move(read));
    co_return result.finishedAt <= deadline ? std::move(result.map) : BrowserTabMap();
}

std::optional<QString> BrowserURLs::readScript(const QString& app, bool otherTitles)
{
    if (!isSupported(app))
        return std::nullopt;
    const bool safari = app == QLatin1String("Safari");
    const QString title = safari ? QStringLiteral("name") : QStringLiteral("title");
    const QString front = safari ? QStringLiteral("current tab") : QStringLiteral("active tab");
    QString script =
        QStringLiteral("tell application \"%1\" to get {%2 of %3 of every window, URL of %3 of every window")
            .arg(app, title, front);
    if (otherTitles)
        script += QStringLiteral(", %1 of every tab of every window").arg(title);
    return script + QLatin1Char('}');
}

QList<BrowserWindowTabs> BrowserURLs::run(const QString& app, bool otherTitles)
{
    const auto script = readScript(app, otherTitles);
    const Integration* row = browserRow(app);
    if (!script || !row)
        return {};
    QList<BrowserWindowTabs> out;
    for (const BrowserWindow& window : askWindows(*row, *script).value_or(QList<BrowserWindow>())) {
        const BrowserTab* front = window.frontTab();
        if (!front)
            continue;
        const auto cleaned = URLCleaner::clean(front->url);
        if (!cleaned)
            continue;
        BrowserWindowTabs tabs{front->title, *cleaned, {}};
        if (otherTitles)
            tabs.others = ::tavrin::otherTitles(window, front->title);
        out.append(std::move(tabs));
    }
    return out;
}

bool BrowserURLs::restoreScript(const QString& app, const QString& windowTitle, const QString& tab)
{
    const Integration* row = browserRow(app);
    if (!row || !isSupported(app))
        return false;
    const bool safari = isSafari(*row);
    const QString name = quotedName(row->app);
    const QString title = safari ? QStringLiteral("name") : QStringLiteral("title");
    const QString front = safari ? QStringLiteral("current tab") : QStringLiteral("active tab");
    const auto answer = askWindows(
        *row, QStringLiteral("tell application %1 to get {%2 of %3 of every window, %2 of every tab of every window}")
                  .arg(name, title, front));
    if (!answer || answer->isEmpty())
        return false;

    struct Window {
        int number;
        QString front;
        QStringList tabs;
    };
    std::vector<Window> windows;
    for (qsizetype i = 0; i < answer->size(); ++i) {
        const BrowserWindow& read = answer->at(i);
        Window w{int(i + 1), read.frontTab() ? read.frontTab()->title : QString(), {}};
        for (const BrowserTab& t : read.tabs)
            w.tabs.append(t.title);
        windows.push_back(std::move(w));
    }
    // The windows whose front tab begins the window's title are searched first.
    std::stable_partition(windows.begin(), windows.end(),
                          [&](const Window& w) { return !w.front.isEmpty() && windowTitle.startsWith(w.front); });
    for (const Window& w : windows) {
        const auto found = cleanTabTitle(tab, w.tabs);
        if (!found)
            continue;
        const int m = int(w.tabs.indexOf(*found)) + 1;
        const QString window = QStringLiteral("window %1").arg(w.number);
        const QString statement = safari ? QStringLiteral("set current tab of %1 to tab %2 of %1").arg(window).arg(m)
                                         : QStringLiteral("set active tab index of %1 to %2").arg(window).arg(m);
        Automation* automation = Platform::current().automation;
        return automation
               && automation->selectTab(Integrations::target(*row), w.number, m,
                                        QStringLiteral("tell application %1 to %2").arg(name, statement),
                                        Integrations::kScriptTimeLimit);
    }
    return false;
}

} // namespace tavrin
