#include "workspaces/screencapture.h"

#include "workspaces/textcut.h"

#include "platform/accessibility.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"
#include "workspaces/windowcontent.h"

#include <QSet>

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
