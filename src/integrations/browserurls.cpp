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

// Runs a script directly: neither the integrations' lock nor the queue.
std::optional<ScriptValue> runScript(const QString& source)
{
    Automation* automation = Platform::current().automation;
    return automation ? automation->run(source, Integrations::kScriptTimeLimit) : std::nullopt;
}

QString trimSpaces(QString text)
{
    while (text.startsWith(u' ') || text.startsWith(u'\t'))
        text.remove(0, 1);
    while (text.endsWith(u' ') || text.endsWith(u'\t'))
        text.chop(1);
    return text;
}

QString textOf(const ScriptValue* value) { return value ? value->textValue().value_or(QString()) : QString(); }

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
QStringList otherTitles(const ScriptValue* titles, const QString& front)
{
    QStringList out;
    if (!titles)
        return out;
    bool frontSkipped = false;
    for (const ScriptValue& value : titles->items) {
        const QString title = trimSpaces(value.textValue().value_or(QString()));
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

bool BrowserURLs::isSupported(const QString& app) { return app == QLatin1String("Safari") || chromium().contains(app); }

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
            out.map.insert(app, run(*readScript(app, otherTitles), otherTitles));
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

QList<BrowserWindowTabs> BrowserURLs::run(const QString& script, bool otherTitles)
{
    const auto answer = runScript(script);
    if (!answer || !answer->isList() || answer->items.size() != (otherTitles ? 3 : 2))
        return {};
    const ScriptValue* titles = answer->item(1);
    const ScriptValue* urls = answer->item(2);
    if (!titles->isList() || !urls->isList())
        return {};
    QList<BrowserWindowTabs> out;
    const qsizetype windows = std::min(titles->items.size(), urls->items.size());
    for (qsizetype i = 1; i <= windows; ++i) {
        const auto title = titles->item(i)->textValue();
        const auto url = urls->item(i)->textValue();
        if (!title || !url)
            continue;
        const auto cleaned = URLCleaner::clean(*url);
        if (!cleaned)
            continue;
        BrowserWindowTabs window{*title, *cleaned, {}};
        if (otherTitles)
            window.others = ::tavrin::otherTitles(answer->item(3)->item(i), *title);
        out.append(std::move(window));
    }
    return out;
}

bool BrowserURLs::restoreScript(const QString& app, const QString& windowTitle, const QString& tab)
{
    const bool safari = app == QLatin1String("Safari");
    if (!safari && !chromium().contains(app))
        return false;
    const QString name = quotedName(app);
    const QString title = safari ? QStringLiteral("name") : QStringLiteral("title");
    const QString front = safari ? QStringLiteral("current tab") : QStringLiteral("active tab");
    const auto answer = runScript(
        QStringLiteral("tell application %1 to get {%2 of %3 of every window, %2 of every tab of every window}")
            .arg(name, title, front));
    if (!answer || !answer->isList() || answer->items.size() != 2 || !answer->item(1)->isList()
        || answer->item(1)->items.isEmpty())
        return false;

    struct Window {
        int number;
        QString front;
        QStringList tabs;
    };
    std::vector<Window> windows;
    for (qsizetype i = 1; i <= answer->item(1)->items.size(); ++i) {
        Window w{int(i), textOf(answer->item(1)->item(i)), {}};
        if (const ScriptValue* tabs = answer->item(2)->item(i))
            for (const ScriptValue& t : tabs->items)
                w.tabs.append(t.textValue().value_or(QString()));
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
        return runScript(QStringLiteral("tell application %1 to %2").arg(name, statement)).has_value();
    }
    return false;
}

} // namespace tavrin
