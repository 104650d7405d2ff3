#include "integrations/integrations.h"

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"
#include "workspaces/earlieritems.h"
#include "workspaces/screencapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <coroutine>
#include <functional>
#include <memory>
#include <mutex>

namespace tavrin::Integrations {

namespace {

using How = Integration::How;

// Quoted for a script: backslashes and double quotes percent-encoded, as
// addresses allow.
QString quotedAddress(const QString& url)
{
    QString escaped = url;
    escaped.replace(QLatin1Char('\\'), QLatin1String("%5C"));
    escaped.replace(QLatin1Char('"'), QLatin1String("%22"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

// ---- The table ----

const QStringList& shells()
{
    static const QStringList names{QStringLiteral("zsh"), QStringLiteral("bash"), QStringLiteral("fish"),
                                   QStringLiteral("sh"), QStringLiteral("nu")};
    return names;
}

QString editorFolder(const QString& app)
{
    // Only the table's own names become folder names.
    const Integration* row = byName(app);
    if (!row || row->how != How::vscode || row->app != app)
        return {};
    if (app == QLatin1String("Visual Studio Code"))
        return QStringLiteral("Code");
    return app;
}

// ---- The user's switch ----

QSet<QString> offNames()
{
    const auto stored = Platform::current().defaults->value(kOffKey);
    if (!stored || stored->typeId() != QMetaType::QVariantList)
        return {};
    QSet<QString> names;
    for (const QVariant& v : stored->toList()) {
        if (v.typeId() != QMetaType::QString)
            return {}; // not a list of names: nothing is off
        names.insert(v.toString());
    }
    return names;
}

bool isOff(const QString& name, const QSet<QString>& offNames)
{
    const Integration* row = byName(name);
    return offNames.contains(row ? row->app : name);
}

bool isOff(const QString& name) { return isOff(name, offNames()); }

void setOff(const QString& name, bool off)
{
    QSet<QString> names = offNames();
    if (off)
        names.insert(name);
    else
        names.remove(name);
    QStringList sorted(names.begin(), names.end());
    sorted.sort();
    Platform::current().defaults->setValue(kOffKey, QVariant(QVariantList(sorted.begin(), sorted.end())));
}

std::vector<Integration> installed()
{
    Workspace& workspace = *Platform::current().workspace;
    QSet<QString> names;
    for (const QString& name : workspace.installedApplicationNames())
        names.insert(name);
    for (const RunningApp& app : workspace.runningApplications())
        names.insert(app.localizedName);
    std::vector<Integration> out;
    for (const Integration& row : all()) {
        // On Linux its Linux names count too ("Firefox ESR", "IntelliJ IDEA
        // Community Edition").
        const bool named = names.contains(row.app) || (row.processName && names.contains(*row.processName))
                           || std::any_of(row.otherNames.begin(), row.otherNames.end(),
                                          [&](const QString& n) { return names.contains(n); });
        if (named)
            out.push_back(row);
    }
    return out;
}

// ---- Consent and runners ----

Permission permission(const Integration& row, bool ask)
{
    if (!row.needsAutomation() || !scriptsApplications())
        return Permission::notNeeded;
    QString bundleId = row.bundleID.value_or(QString());
    if (!row.bundleID) {
        for (const RunningApp& app : Platform::current().workspace->runningApplications())
            if (app.localizedName == row.app) {
                bundleId = app.bundleIdentifier;
                break;
            }
    }
    if (bundleId.isEmpty())
        return Permission::notRunning;
    Automation* automation = Platform::current().automation;
    if (!automation)
        return Permission::notAsked;
    switch (automation->permission(bundleId, ask)) {
    case Automation::kAllowed: return Permission::allowed;
    case Automation::kNotRunning: return Permission::notRunning;
    case Automation::kNotPermitted: return Permission::denied;
    default: return Permission::notAsked;
    }
}

AutomationTarget target(const Integration& row)
{
    return AutomationTarget{
        row.app, row.bundleID.value_or(QString()), row.otherNames, row.desktopIds, row.executables, row.profiles};
}

std::unique_lock<std::mutex> requestTurn()
{
    static std::mutex oneAtATime;
    return std::unique_lock(oneAtATime);
}

std::optional<QString> runProcess(const QString& path, const QStringList& arguments)
{
    Processes* processes = Platform::current().processes;
    const auto output = processes ? processes->run(path, arguments, kProcessTimeLimit) : std::nullopt;
    if (!output)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(*output);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

// ---- Restoring ----

QString restoreScript(const QString& app, const QStringList& urls, int front)
{
    const QString shown = QString::number(front + 1);
    QStringList quoted;
    for (const QString& url : urls)
        quoted.append(quotedAddress(url));
    const QString first = quoted.isEmpty() ? QString() : quoted.takeFirst();
    const QString rest = quoted.join(QStringLiteral(", "));
    if (app == QLatin1String("Safari"))
        return QStringLiteral("tell application \"Safari\"\n"
                              "  make new document with properties {URL:%1}\n"
                              "  repeat with u in {%2}\n"
                              "    tell front window to make new tab at end of tabs with properties {URL:u}\n"
                              "  end repeat\n"
                              "  tell front window to set current tab to tab %3\n"
                              "end tell")
            .arg(first, rest, shown);
    return QStringLiteral("tell application \"%1\"\n"
                          "  make new window\n"
                          "  set URL of active tab of front window to %2\n"
                          "  repeat with u in {%3}\n"
                          "    tell front window to make new tab with properties {URL:u}\n"
                          "  end repeat\n"
                          "  set active tab index of front window to %4\n"
                          "end tell")
        .arg(app, first, rest, shown);
}

bool restoreTabs(const QString& app, const QStringList& urls, int front)
{
    const QStringList kept = urls.mid(0, kMaxTabs);
    if (front < 0 || front >= kept.size())
        front = 0;
    const Integration* row = byName(app);
    Automation* automation = Platform::current().automation;
    if (kept.isEmpty() || !row || !automation)
        return false;
    const auto turn = requestTurn();
    return automation->openWindow(target(*row), kept, front, restoreScript(row->app, kept, front), kScriptTimeLimit);
}

int windowsRestoredOnStart(const QString& app)
{
    const Integration* row = byName(app);
    Automation* automation = Platform::current().automation;
    if (!row || row->how != How::browser || !automation)
        return 0;
    return automation->windowsRestoredOnStart(target(*row));
}

// ---- Reading what windows show ----

QList<WindowEntry> entries(const std::vector<AXWindow>& windows)
{
    AXActionScope scope;
    QList<WindowEntry> out;
    for (const AXWindow& w : windows) {
        WindowEntry entry{ScreenCapture::appName(w.app), w.string(ax::Title).value_or(QString()), std::nullopt,
                          w.element};
        if (const auto document = w.documentURL())
            entry.document = document->toString(QUrl::FullyEncoded);
        out.append(std::move(entry));
    }
    return out;
}

namespace {

// What the reads of one capture found: each application's reads, and the
// browsers that answered (a window of theirs without a read is one they do
// not list).
struct Reading {
    QHash<QString, QList<Read>> reads;
    QSet<QString> answered;

    // Whether a window of `app` that no read was paired with is one the
    // browser does not list: it answered, naming the window of each read
    // (a scripted answer names none, and leaves windows it cannot tell
    // apart without a read).
    bool listsNot(const QString& app) const
    {
        const QList<Read> of = reads.value(app);
        return answered.contains(app)
               && std::all_of(of.cbegin(), of.cend(), [](const Read& r) { return r.window.isValid(); });
    }
};

// The reads of the entries' applications (see readAll).
Reading readEntries(const QList<WindowEntry>& entries, bool automation, const QSet<QString>& offNames, bool browsers)
{
    QStringList apps;
    QHash<QString, QStringList> titles;
    for (const WindowEntry& e : entries) {
        if (!titles.contains(e.app))
            apps.append(e.app);
        titles[e.app].append(e.title);
    }
    Reading out;
    for (const QString& app : apps) {
        const Integration* row = byName(app);
        if (!row || isOff(app, offNames) || (row->how == How::browser && !browsers))
            continue;
        // The user is never asked from here. Where applications are not
        // scripted, every read is of files and processes: nothing to ask.
        if (row->needsAutomation() && scriptsApplications()) {
            const Permission p = automation ? permission(*row, false) : Permission::denied;
            if (p != Permission::allowed && p != Permission::notNeeded)
                continue;
        }
        if (row->how != How::browser) {
            out.reads.insert(app, read(*row, titles.value(app)));
        } else if (auto reads = readBrowser(*row)) {
            out.answered.insert(app);
            out.reads.insert(app, *reads);
        }
    }
    return out;
}

// The reads of a capture on a worker, raced against the time limit: whichever
// ends first resumes the capture, on the main thread.
struct Race {
    std::optional<Reading> reading;
    std::coroutine_handle<> waiting;
    bool over = false;

    void finish(std::optional<Reading> result)
    {
        if (over)
            return;
        over = true;
        reading = std::move(result);
        waiting.resume();
    }
};

// Holds pointers only: the compiler may destroy a co_await operand twice.
struct RaceAwaiter {
    std::shared_ptr<Race>* race;
    std::function<Reading()>* work;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h)
    {
        (*race)->waiting = h;
        Clock& clock = *Platform::current().clock;
        auto result = std::make_shared<std::optional<Reading>>();
        clock.runInBackground([result, work = std::move(*work)] { result->emplace(work()); }, nullptr,
                              [race = *race, result] { race->finish(std::move(*result)); });
        clock.schedule(kCaptureTimeLimit, [race = *race] { race->finish(std::nullopt); });
    }
    void await_resume() const noexcept {}
};

// The reads on a worker; none when they overran the time limit.
QCoro::Task<std::optional<Reading>> readInBackground(QList<WindowEntry> list, QSet<QString> off, bool browsers)
{
    std::function<Reading()> work = [list, off, browsers] { return readEntries(list, true, off, browsers); };
    auto race = std::make_shared<Race>();
    RaceAwaiter awaiter{&race, &work};
    co_await awaiter;
    co_return std::move(race->reading);
}

// Windows show a title cut to this many characters (a browser's front tab).
constexpr qsizetype kTitleCut = 256;

// Windows of one application with the same title are told apart only when
// what was read of them is the same anyway.
bool sharesTitle(const WindowEntry& e, const QList<WindowEntry>& entries, const QHash<QString, QList<Read>>& reads)
{
    const auto same = std::count_if(entries.cbegin(), entries.cend(),
                                    [&](const WindowEntry& o) { return o.app == e.app && o.title == e.title; });
    if (same < 2)
        return false;
    QList<Read> titled = reads.value(e.app);
    titled.removeIf([&](const Read& r) { return r.title != e.title || r.window.isValid(); });
    return titled.size() != same || titled.count(titled.front()) != titled.size();
}

// A private window (Firefox marks its title) is never in a session file:
// whatever read its title contains is another window's.
bool isPrivateBrowsing(const WindowEntry& e)
{
    const Integration* row = byName(e.app);
    return row && row->how == How::browser && e.title.endsWith(QLatin1String(" Private Browsing"));
}

// Each entry's read, one to one: the read of its own window first, where
// the application's answer names windows; then the read of exactly its
// title, then the one with the longest title its title contains (allowing
// for the cut). An entry whose title another window of its application
// carries too cannot be told apart by title and gets none by it, nor does a
// private browser window. A read that names its window goes to no other.
QList<const Read*> matchedReads(const QList<WindowEntry>& entries, const QHash<QString, QList<Read>>& reads)
{
    QHash<QString, QList<bool>> used;
    for (auto it = reads.cbegin(); it != reads.cend(); ++it)
        used.insert(it.key(), QList<bool>(it->size(), false));
    QList<const Read*> found(entries.size(), nullptr);
    const auto pass = [&](const std::function<qsizetype(const WindowEntry&, const Read&)>& fit, bool byWindow) {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const WindowEntry& e = entries[i];
            if (found[i] || (!byWindow && sharesTitle(e, entries, reads)) || isPrivateBrowsing(e))
                continue;
            const auto list = reads.constFind(e.app);
            if (list == reads.cend())
                continue;
            const QList<Read>& candidates = *list;
            QList<bool>& taken = used[e.app];
            qsizetype best = -1, bestFit = 0;
            for (qsizetype r = 0; r < candidates.size(); ++r)
                if (const qsizetype f = taken[r] ? 0 : fit(e, candidates[r]); f > bestFit) {
                    best = r;
                    bestFit = f;
                }
            if (best >= 0) {
                taken[best] = true;
                found[i] = &candidates[best];
            }
        }
    };
    pass([](const WindowEntry& e, const Read& r) { return qsizetype(r.window.isValid() && r.window == e.element); },
         true);
    pass([](const WindowEntry& e, const Read& r) { return qsizetype(!r.window.isValid() && r.title == e.title); },
         false);
    pass(
        [](const WindowEntry& e, const Read& r) {
            const QString shown = r.title.left(kTitleCut);
            return !r.window.isValid() && !shown.isEmpty() && e.title.contains(shown) ? shown.size() : 0;
        },
        false);
    return found;
}

// The browsers whose answer lists not every window of theirs that is not
// marked private: their file is behind what their windows show, or holds
// no private window.
QSet<QString> behind(const QList<WindowEntry>& entries, const Reading& reading)
{
    const QList<const Read*> found = matchedReads(entries, reading.reads);
    QSet<QString> out;
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (!found[i] && reading.listsNot(entries[i].app) && !isPrivateBrowsing(entries[i]))
            out.insert(entries[i].app);
    return out;
}

// The last write of a browser's file, where it answers from one.
std::optional<Automation::SessionWrite> lastWrite(const QString& app)
{
    Automation* automation = Platform::current().automation;
    const Integration* row = byName(app);
    return automation && row ? automation->sessionWrite(target(*row)) : std::nullopt;
}

// Waits until each of `apps` has written its file after `since`, or until
// the clock's monotonic time `until`, or `cancel`: the browsers that did.
QCoro::Task<QSet<QString>> waitForWrites(QSet<QString> apps, QDateTime since, double until, CancelToken cancel)
{
    Clock& clock = *Platform::current().clock;
    QSet<QString> written;
    for (;;) {
        for (const QString& app : QSet<QString>(apps))
            if (const auto write = lastWrite(app); !write || write->at > since) {
                if (write)
                    written.insert(app);
                apps.remove(app);
            }
        if (apps.isEmpty() || cancel.isCancelled() || clock.monotonic() >= until)
            break;
        co_await clock.sleep(kWritePoll, cancel);
    }
    co_return written;
}

// Each entry with its read (see matchedReads). Entries without a read show
// their document unless their integration is off. A browser window its
// browser's answer does not list keeps no title (it may be private). An
// entry whose read found nothing takes what `earlier` held for it (see
// EarlierItems), unless it is private — marked so, or not listed by a file
// written since the capture began of a browser whose private windows carry
// no mark (`unmarked`) — or its integration or browser reads are off.
QList<SavedItem> itemsFor(const QList<WindowEntry>& entries, const Reading& reading, const QSet<QString>& offNames,
                          bool browsers, const QSet<QString>& unmarked = {}, const QList<SavedItem>& earlier = {})
{
    const QList<const Read*> found = matchedReads(entries, reading.reads);
    QList<SavedItem> items;
    QStringList titles;
    QList<bool> mayKeep;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const WindowEntry& e = entries[i];
        const Integration* row = byName(e.app);
        const bool browser = row && row->how == How::browser;
        const bool off = isOff(e.app, offNames);
        const bool unlisted = !found[i] && reading.listsNot(e.app);
        SavedItem item{e.app, std::nullopt, std::nullopt};
        // The titles tell apart windows that show the same (terminals in one
        // folder) when the workspace comes back; a private window's is kept
        // nowhere, nor that of an application whose integration is off.
        if (!e.title.isEmpty() && !isPrivateBrowsing(e) && !unlisted && !off)
            item.title = e.title;
        if (found[i]) {
            item.url = found[i]->url;
            item.tabs = found[i]->tabs;
            item.front = found[i]->front;
            if (browser && !found[i]->title.isEmpty())
                item.tabTitle = found[i]->title;
        } else if (!off) {
            item.url = e.document;
        }
        items.append(std::move(item));
        titles.append(e.title);
        mayKeep.append(!isPrivateBrowsing(e) && !off && !(browser && !browsers)
                       && !(unlisted && unmarked.contains(e.app)));
    }
    return EarlierItems::keep(items, titles, mayKeep, earlier);
}

} // namespace

QCoro::Task<QList<SavedItem>> capture(std::vector<AXWindow> windows, bool browsers,
                                      std::optional<WindowContent::SaveContext> save)
{
    const QList<WindowEntry> list = entries(windows);
    const QSet<QString> off = offNames();
    // Every change the capture is to see came before this.
    QDateTime since = Platform::current().clock->nowDate();
    auto first = readInBackground(list, off, browsers);
    std::optional<Reading> reading = co_await std::move(first);
    // The browsers that wrote their file since the capture began and mark
    // no private window: a window they still do not list is a private one.
    QSet<QString> unmarked;
    // A browser that marks its private windows (Firefox) lists every other
    // one: a window its newer file still does not list is later than that
    // write (its first write in a run can be older than its windows), and
    // the capture waits on for the next, up to the same limit.
    std::optional<double> until;
    QSet<QString> givenUp;
    while (reading && save) {
        QSet<QString> late = behind(list, *reading) - unmarked - givenUp;
        if (late.isEmpty())
            break;
        if (!until) {
            double limit = 0;
            for (const QString& app : late)
                if (const auto write = lastWrite(app))
                    limit = std::max(limit, write->within + kWriteMargin);
            until = Platform::current().clock->monotonic() + limit;
        }
        auto waiting = waitForWrites(late, since, *until, save->cancel);
        const QSet<QString> written = co_await std::move(waiting);
        if (written.isEmpty())
            break;
        givenUp += late - written;
        for (const QString& app : written)
            if (const auto write = lastWrite(app); write && !write->marksPrivate)
                unmarked.insert(app);
        since = Platform::current().clock->nowDate();
        auto again = readInBackground(list, off, browsers);
        reading = co_await std::move(again);
    }
    // Overran: what the windows tell by themselves.
    if (!reading)
        reading.emplace();
    co_return itemsFor(list, *reading, off, browsers, unmarked, save ? save->earlier : QList<SavedItem>());
}

QList<SavedItem> captureWindow(const std::vector<AXWindow>& windows, bool browsers, const QList<SavedItem>& earlier)
{
    if (windows.empty())
        return {};
    const QList<WindowEntry> list = entries(windows);
    const QSet<QString> off = offNames();
    return itemsFor(list, readEntries(list, false, off, browsers), off, browsers, {}, earlier);
}

QList<SavedItem> readAll(const QList<WindowEntry>& entries, bool automation, const QSet<QString>& offNames,
                         bool browsers)
{
    return itemsFor(entries, readEntries(entries, automation, offNames, browsers), offNames, browsers);
}

QList<Read> read(const Integration& row, const QStringList& titles)
{
    switch (row.how) {
    case How::browser: return readBrowser(row).value_or(QList<Read>());
    case How::vscode: return readEditor(row.app, titles);
    case How::jetbrains: return readJetBrains(titles);
    case How::terminal: {
        QList<Read> out = readTerminal(row);
        if (scriptsApplications())
            return out;
        // One process may show several windows (Xfce Terminal does), whose
        // shells cannot be told apart: those windows are read from their
        // titles, as a shell's prompt sets them.
        for (const QString& title : titles)
            if (std::none_of(out.cbegin(), out.cend(), [&](const Read& r) { return r.title == title; }))
                if (const auto path = pathFromTitle(title))
                    out.append(Read{title, QUrl::fromLocalFile(*path).toString(QUrl::FullyEncoded), std::nullopt});
        return out;
    }
    case How::iterm: return readITerm(row);
    case How::titlePath: {
        QList<Read> out;
        for (const QString& title : titles)
            if (const auto path = pathFromTitle(title))
                out.append(Read{title, QUrl::fromLocalFile(*path).toString(QUrl::FullyEncoded), std::nullopt});
        return out;
    }
    case How::finder: return readFinder(row);
    case How::obsidian: return readObsidian(titles);
    case How::document:
    case How::appOnly:
    case How::chatStatus: return {};
    }
    return {};
}

// ---- The reads ----

namespace {

QString trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// A script that gathers, window by window, what `body` adds to "out";
// windows where it fails are passed over.
QString windowLoopScript(const QString& app, const QString& windows, const QStringList& body)
{
    QString script =
        QStringLiteral("tell application \"%1\"\n  set out to {}\n  repeat with w in %2\n    try\n").arg(app, windows);
    for (const QString& line : body)
        script += QStringLiteral("      ") + line + QLatin1Char('\n');
    return script + QStringLiteral("    end try\n  end repeat\n  return out\nend tell");
}

QString fileAddress(const QString& path) { return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded); }

std::optional<QString> readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(file.readAll());
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

// Every first group of `pattern` in `text`.
void collect(const QRegularExpression& pattern, const QString& text, QSet<QString>& into)
{
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        into.insert(it.next().captured(1));
}

// The read of each window whose folder `folderOf` accepts (a folder, or a
// terminal device turned into one).
QList<Read> folderReads(const std::optional<QList<FolderWindow>>& windows,
                        const std::function<std::optional<QString>(const FolderWindow&)>& folderOf)
{
    QList<Read> out;
    for (const FolderWindow& window : windows.value_or(QList<FolderWindow>()))
        if (const auto folder = folderOf(window))
            out.append(Read{window.title, fileAddress(*folder), std::nullopt, std::nullopt, window.window});
    return out;
}

// The folder of each window of the row's application, asked in its turn.
std::optional<QList<FolderWindow>> askFolders(const Integration& row, const QString& script)
{
    Automation* automation = Platform::current().automation;
    if (!automation)
        return std::nullopt;
    const auto turn = requestTurn();
    return automation->windowFolders(target(row), script, kScriptTimeLimit);
}

// The last path component of a file address with its percent-encoding
// removed; none when it does not parse or does not decode.
std::optional<QString> folderName(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    QString path = url.path(QUrl::FullyEncoded);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QByteArray encoded = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toLatin1();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = utf8.decode(QByteArray::fromPercentEncoding(encoded));
    if (utf8.hasError() || name.isEmpty())
        return std::nullopt;
    return name;
}

bool showsFolder(const QString& title, const QString& name)
{
    return title == name || title.contains(QStringLiteral(" \u2014 ") + name)
           || title.startsWith(name + QLatin1Char(' ')) || title.contains(QLatin1Char('[') + name + QLatin1Char(']'))
           || title.endsWith(name)
           // On Linux: "main.c - app - Visual Studio Code"
           || title.contains(QStringLiteral(" - ") + name + QStringLiteral(" - "));
}

} // namespace

std::optional<QList<Read>> readBrowser(const Integration& row)
{
    const bool safari = row.app == QLatin1String("Safari");
    const QString front = safari ? QStringLiteral("name of current tab of w, URL of current tab of w")
                                 : QStringLiteral("title of active tab of w, URL of active tab of w");
    const QString script = windowLoopScript(row.app, QStringLiteral("windows"),
                                            {QStringLiteral("set end of out to {%1, URL of tabs of w}").arg(front)});
    Automation* automation = Platform::current().automation;
    if (!automation)
        return std::nullopt;
    std::optional<QList<BrowserWindow>> windows;
    {
        const auto turn = requestTurn();
        windows = automation->browserWindows(target(row), script, kScriptTimeLimit);
    }
    if (!windows)
        return std::nullopt;
    QList<Read> out;
    for (const BrowserWindow& window : *windows) {
        const BrowserTab* shown = window.frontTab();
        if (!shown || !isBrowserAddress(shown->url))
            continue;
        QStringList tabs;
        std::optional<int> front;
        for (qsizetype i = 0; i < window.tabs.size(); ++i)
            if (isBrowserAddress(window.tabs[i].url)) {
                if (i == window.front && tabs.size() < kMaxTabs)
                    front = int(tabs.size());
                tabs.append(window.tabs[i].url);
            }
        // Paired with its window on screen by the platform: that window's title.
        const QString title = window.windowTitle.isEmpty() ? shown->title : window.windowTitle;
        if (tabs.size() < 2)
            out.append(Read{title, shown->url, std::nullopt, std::nullopt, window.window});
        else
            out.append(Read{title, shown->url, tabs.mid(0, kMaxTabs), front, window.window});
    }
    return out;
}

QList<Read> readEditor(const QString& app, const QStringList& titles)
{
    const QString support = Platform::current().folders.applicationSupport;
    const QString folder = editorFolder(app);
    if (support.isEmpty() || folder.isEmpty())
        return {};
    static const QRegularExpression recent(QStringLiteral(R"re("(?:folderUri|folder)"\s*:\s*"(file://[^"]+)")re"));
    const QString base = support + QLatin1Char('/') + folder;
    QSet<QString> folders;
    for (const char* file : {"/Backups/workspaces.json", "/User/globalStorage/storage.json"})
        if (const auto text = readText(base + QLatin1String(file)))
            collect(recent, *text, folders);
    return matchFolders(folders, titles);
}

QList<Read> readJetBrains(const QStringList& titles)
{
    const UserFolders& user = Platform::current().folders;
    if (user.applicationSupport.isEmpty())
        return {};
    const QDir products(user.applicationSupport + QStringLiteral("/JetBrains"));
    if (!products.exists())
        return {};
    static const QRegularExpression entry(QStringLiteral(R"re(<entry key="([^"]+)")re"));
    QSet<QString> paths;
    for (const QString& name : products.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (const auto text = readText(products.filePath(name) + QStringLiteral("/options/recentProjects.xml")))
            collect(entry, *text, paths);
    QSet<QString> folders;
    for (QString path : paths)
        folders.insert(fileAddress(path.replace(QStringLiteral("$USER_HOME$"), user.home)));
    return matchFolders(folders, titles);
}

QList<Read> matchFolders(const QSet<QString>& folders, const QStringList& titles)
{
    QList<std::pair<QString, QString>> named; // address, name
    for (const QString& folder : folders)
        if (const auto name = folderName(folder))
            named.append({folder, *name});
    QList<Read> out;
    for (const QString& title : titles) {
        const std::pair<QString, QString>* best = nullptr;
        for (const auto& candidate : named)
            if (showsFolder(title, candidate.second) && (!best || candidate.second.size() > best->second.size()))
                best = &candidate;
        if (best)
            out.append(Read{title, best->first, std::nullopt});
    }
    return out;
}

QList<Read> readTerminal(const Integration& row)
{
    const QString script =
        windowLoopScript(row.app, QStringLiteral("windows"),
                         {QStringLiteral("set end of out to {name of w, tty of selected tab of w}")});
    // A terminal that names only its device is walked from there.
    return folderReads(askFolders(row, script), [](const FolderWindow& w) {
        if (!w.folder.isEmpty())
            return std::optional(w.folder);
        return w.device.isEmpty() ? std::nullopt : folderForTTY(w.device);
    });
}

std::optional<QString> folderForTTY(const QString& device)
{
    const QString name = QString(device).remove(QStringLiteral("/dev/"));
    const auto listing = runProcess(QStringLiteral("/bin/ps"),
                                    {QStringLiteral("-t"), name, QStringLiteral("-o"), QStringLiteral("pid=,comm=")});
    if (!listing || listing->isEmpty())
        return std::nullopt;
    std::optional<QString> shell;
    for (const QString& line : listing->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // "  812 -zsh": the process id, then the command.
        const QString rest = line.mid(line.indexOf(QRegularExpression(QStringLiteral("[^ ]"))));
        const qsizetype space = rest.indexOf(QLatin1Char(' '));
        if (space < 0 || space + 1 == rest.size())
            continue;
        const QString pid = trimSpaces(rest.left(space));
        const QString command = trimSpaces(rest.mid(space + 1));
        QString program = command.mid(command.lastIndexOf(QLatin1Char('/')) + 1);
        while (program.startsWith(QLatin1Char('-')))
            program.remove(0, 1);
        while (program.endsWith(QLatin1Char('-')))
            program.chop(1);
        if (!pid.isEmpty() && !command.isEmpty() && shells().contains(program))
            shell = pid;
    }
    if (!shell)
        return std::nullopt;
    const auto open = runProcess(QStringLiteral("/usr/sbin/lsof"),
                                 {QStringLiteral("-a"), QStringLiteral("-p"), *shell, QStringLiteral("-d"),
                                  QStringLiteral("cwd"), QStringLiteral("-Fn")});
    if (!open)
        return std::nullopt;
    for (const QString& line : open->split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (line.startsWith(QLatin1String("n/")))
            return line.mid(1);
    return std::nullopt;
}

QList<Read> readITerm(const Integration& row)
{
    const QString script =
        windowLoopScript(row.app, QStringLiteral("windows"),
                         {QStringLiteral("tell current session of w to set p to variable named \"session.path\""),
                          QStringLiteral("set end of out to {name of w, p}")});
    return folderReads(askFolders(row, script), [](const FolderWindow& w) {
        return w.folder.startsWith(QLatin1Char('/')) ? std::optional(w.folder) : std::nullopt;
    });
}

QList<Read> readFinder(const Integration& row)
{
    const QString script =
        windowLoopScript(row.app, QStringLiteral("Finder windows"),
                         {QStringLiteral("set end of out to {name of w, POSIX path of (target of w as alias)}")});
    return folderReads(askFolders(row, script), [](const FolderWindow& w) {
        return w.folder.isEmpty() ? std::nullopt : std::optional(w.folder);
    });
}

namespace {

// `text` trimmed, with a leading "~" made the home folder, when it is an
// existing folder.
std::optional<QString> existingFolder(const QString& text)
{
    QString path = trimSpaces(text);
    const QString home = Platform::current().folders.home;
    if (path.startsWith(QLatin1Char('~')) && !home.isEmpty())
        path = home + path.mid(1);
    if (!path.startsWith(QLatin1Char('/')) || !QFileInfo(path).isDir())
        return std::nullopt;
    return path;
}

} // namespace

std::optional<QString> pathFromTitle(const QString& title)
{
    // "~/src/app — zsh", "~/src/app - fish"
    const QString start = title.section(QStringLiteral(" \u2014 "), 0, 0).section(QStringLiteral(" - "), 0, 0);
    if (auto path = existingFolder(start))
        return path;
    // A shell prompt's title, "sam@box: ~/src/app", also after the
    // terminal's name ("Terminal - sam@box: ~/src/app")
    static const QRegularExpression prompt(QStringLiteral(R"((?:^|\s)[^\s:@]+@[^\s:]+:\s*(.+)$)"));
    if (const auto m = prompt.match(title); m.hasMatch())
        if (auto path = existingFolder(m.captured(1)))
            return path;
    // "~/src/app : bash"
    if (title.contains(QStringLiteral(" : ")))
        return existingFolder(title.section(QStringLiteral(" : "), 0, 0));
    return std::nullopt;
}

QList<Read> readObsidian(const QStringList& titles)
{
    // Query values encoded as address components encode them: the
    // separators of query items ('&', '=', '#') and what a query may not
    // hold are percent-encoded.
    const auto encode = [](const QString& value) {
        return QString::fromLatin1(QUrl::toPercentEncoding(value, "!$'()*+,;:@/?"));
    };
    QList<Read> out;
    for (const QString& title : titles) {
        const QStringList pieces = title.split(QStringLiteral(" - "));
        if (pieces.size() < 3)
            continue;
        const QString address = QStringLiteral("obsidian://open?vault=%1&file=%2")
                                    .arg(encode(pieces[pieces.size() - 2]), encode(pieces.front()));
        out.append(Read{title, address, std::nullopt});
    }
    return out;
}

} // namespace tavrin::Integrations
