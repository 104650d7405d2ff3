#include "workspaces/screencapture.h"

#include "workspaces/textcut.h"

#include "platform/accessibility.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"
#include "workspaces/windowcontent.h"

#include <QSet>
#include <QUrl>

namespace tavrin {

namespace {
const QString kHiddenSuffix = QStringLiteral(" (hidden app)");
const QString kMinimisedSuffix = QStringLiteral(" (minimised)");

// Kept by value: the capture the caller holds may be gone when the read ends.
QCoro::Task<PlanRequest> buildRequest(ScreenCapture capture, QString text)
{
    const Defaults& defaults = *Platform::current().defaults;
    WindowContent* content = WindowContent::installed();
    BrowserTabMap tabs;
    if (content && defaults.boolValue(QStringLiteral("sendBrowserURLs"), true)) {
        const bool otherTitles = defaults.boolValue(QStringLiteral("sendBrowserTabTitles"), false);
        QSet<QString> apps;
        for (const AXWindow& w : capture.windows)
            apps.insert(ScreenCapture::appName(w.app));
        tabs = co_await content->readTabs(apps, otherTitles, ScreenCapture::kTabReadLimit);
    }
    co_return capture.planRequest(text, tabs);
}
} // namespace

ScreenCapture ScreenCapture::of(const Display& display)
{
    return ScreenCapture{display, AXWindow::all(kMaxWindows), PlanRequest::DisplayInfo{display.name, display.aspect()}};
}

QString ScreenCapture::appName(const RunningApp& app)
{
    return app.localizedName.isEmpty() ? QStringLiteral("Window") : app.localizedName;
}

QCoro::Task<QList<SavedItem>> ScreenCapture::shown(QSet<QString> apps) const
{
    // Kept by value: this capture may be gone when the read ends.
    const std::vector<AXWindow> all = windows;
    WindowContent* content = WindowContent::installed();
    // Browsers' tabs are read only while the user lets them be.
    const bool browsers = Platform::current().defaults->boolValue(QStringLiteral("sendBrowserURLs"), true);
    std::vector<AXWindow> asked;
    std::vector<std::size_t> where;
    QList<SavedItem> out;
    for (std::size_t i = 0; i < all.size(); ++i) {
        out.append(SavedItem{appName(all[i].app), std::nullopt, std::nullopt});
        const bool browser = content && content->restoresTabs(out.back().app);
        if (apps.contains(out.back().app) && (browsers || !browser)) {
            asked.push_back(all[i]);
            where.push_back(i);
        }
    }
    if (asked.empty())
        co_return out;
    QList<SavedItem> read;
    if (content) {
        read = co_await content->capture(asked);
    } else {
        AXActionScope scope;
        for (const AXWindow& w : asked) {
            const auto document = w.documentURL();
            read.append(SavedItem{appName(w.app),
                                  document ? std::optional(document->toString(QUrl::FullyEncoded)) : std::nullopt,
                                  std::nullopt});
        }
    }
    // Each with the window's own title (without what a request adds to it).
    AXActionScope scope;
    for (qsizetype i = 0; i < read.size() && std::size_t(i) < where.size(); ++i) {
        if (!read[i].title)
            read[i].title = asked[std::size_t(i)].string(ax::Title);
        out[qsizetype(where[std::size_t(i)])] = read[i];
    }
    co_return out;
}

QString ScreenCapture::cutRequest(const QString& text) { return firstCharacters(text, PlanRequest::kMaxRequestLength); }

QCoro::Task<PlanRequest> ScreenCapture::planRequest(const QString& text) const { return buildRequest(*this, text); }

PlanRequest ScreenCapture::planRequest(const QString& text, const BrowserTabMap& tabs) const
{
    AXActionScope scope;
    Workspace& workspace = *Platform::current().workspace;
    PlanRequest r;
    r.request = cutRequest(text);
    r.display = request;
    for (const AXWindow& w : windows) {
        PlanRequest::Window entry;
        entry.app = appName(w.app);
        const QString title = w.string(ax::Title).value_or(QString());
        entry.title = title;
        const auto running = workspace.application(w.app.pid);
        if (running ? running->hidden : w.app.hidden)
            entry.title += kHiddenSuffix;
        else if (Platform::current().accessibility->attribute(w.element, ax::Minimized).as<bool>().value_or(false))
            entry.title += kMinimisedSuffix;
        const QList<BrowserWindowTabs> appTabs = tabs.value(entry.app);
        if (const BrowserWindowTabs* read = tabsMatching(title, appTabs)) {
            if (!read->url.isEmpty())
                entry.url = read->url;
            if (!read->others.isEmpty())
                entry.otherTabs = read->others;
        }
        r.windows.append(std::move(entry));
    }
    return r;
}

} // namespace tavrin
