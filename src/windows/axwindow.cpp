#include "windows/axwindow.h"

#include "platform/accessibility.h"
#include "platform/platform.h"
#include "platform/windowserver.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"

#include <QPointer>
#include <algorithm>
#include <set>

namespace tavrin {

namespace {
constexpr double kMessagingTimeout = 1.0;
constexpr double kOnScreenTolerance = 2.0;

Accessibility& accessibility() { return *Platform::current().accessibility; }

// Every Accessibility call of this file goes through these, which skip an
// application that already timed out in the current action.
AXResult read(Accessibility& ax, const AXElement& element, const QString& name)
{
    if (AXActionScope::isUnresponsive(element.pid))
        return {AXError::cannotComplete, {}};
    AXResult r = ax.attribute(element, name);
    if (r.error == AXError::cannotComplete)
        AXActionScope::markUnresponsive(element.pid);
    return r;
}

AXResult read(const AXElement& element, const QString& name) { return read(accessibility(), element, name); }

AXError write(const AXElement& element, const QString& name, const AXValue& value)
{
    if (AXActionScope::isUnresponsive(element.pid))
        return AXError::cannotComplete;
    const AXError e = accessibility().setAttribute(element, name, value);
    if (e == AXError::cannotComplete)
        AXActionScope::markUnresponsive(element.pid);
    return e;
}

AXError place(const AXElement& element, const Rect& frame)
{
    if (AXActionScope::isUnresponsive(element.pid))
        return AXError::cannotComplete;
    const AXError e = accessibility().setFrame(element, frame);
    if (e == AXError::cannotComplete)
        AXActionScope::markUnresponsive(element.pid);
    return e;
}

AXElement applicationElement(Accessibility& ax, int pid)
{
    const AXElement app = ax.applicationElement(pid);
    ax.setMessagingTimeout(app, kMessagingTimeout);
    return app;
}

AXElement applicationElement(int pid) { return applicationElement(accessibility(), pid); }

bool flag(const AXElement& element, const QString& name) { return read(element, name).as<bool>().value_or(false); }

struct Candidate {
    AXWindow window;
    bool minimised = false;
};

// The application's standard windows that are not full screen, minimised
// ones marked (and left out unless asked for). With `keep`, only the windows
// it keeps, asked first: a caller looking for a few windows by their title
// reads nothing else of the others.
std::vector<Candidate> standardWindows(const RunningApp& app, bool withMinimised,
                                       const std::function<bool(const AXWindow&)>& keep = {})
{
    std::vector<Candidate> out;
    if (AXActionScope::isUnresponsive(app.pid))
        return out;
    const auto list = read(applicationElement(app.pid), ax::Windows).as<std::vector<AXElement>>();
    if (!list)
        return out;
    for (const AXElement& e : *list) {
        if (keep && !keep(AXWindow{e, app}))
            continue;
        if (read(e, ax::Subrole).as<QString>() != ax::StandardWindow)
            continue;
        const bool minimised = flag(e, ax::Minimized);
        if ((minimised && !withMinimised) || flag(e, ax::FullScreen))
            continue;
        out.push_back({AXWindow{e, app}, minimised});
    }
    return out;
}

bool isOtherRegularApp(const RunningApp& app, int self)
{
    return app.pid != self && app.activationPolicy == ActivationPolicy::regular;
}

// The last other application that was frontmost (main thread).
std::optional<RunningApp> g_lastOther;
QPointer<Workspace> g_tracked;

} // namespace

QString AXWindow::id() const { return QString::number(app.pid) + QLatin1Char(':') + QString::number(element.hash()); }

std::optional<Rect> AXWindow::frame() const
{
    const auto position = read(element, ax::Position).as<Point>();
    if (!position)
        return std::nullopt;
    const auto size = read(element, ax::Size).as<Size>();
    if (!size)
        return std::nullopt;
    return Rect(*position, *size);
}

std::optional<QString> AXWindow::string(const QString& attribute) const
{
    return read(element, attribute).as<QString>();
}

std::optional<QUrl> AXWindow::documentURL() const
{
    const auto text = string(ax::Document);
    if (!text)
        return std::nullopt;
    const QUrl url(*text, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return std::nullopt;
    return url;
}

Registration AXWindow::observeMoves(MoveObserver& observer) { return processWide<MoveObserver>().set(observer); }

bool AXWindow::setFrame(const Rect& target, const std::optional<Rect>& from) const
{
    AXActionScope scope;
    if (MoveObserver* observer = processWide<MoveObserver>().get())
        if (const auto current = from ? from : frame())
            observer->willMove(app.pid, *current, target);
    if (AXActionScope::isUnresponsive(app.pid))
        return false;

    // With enhanced user interface on, some applications animate every
    // change and drop the ones that follow; switch it off meanwhile.
    const AXElement appElement = applicationElement(app.pid);
    const bool enhanced = flag(appElement, ax::EnhancedUserInterface);
    if (enhanced)
        write(appElement, ax::EnhancedUserInterface, false);
    const bool moved = place(element, target) == AXError::success;
    if (enhanced)
        write(appElement, ax::EnhancedUserInterface, true);
    return moved;
}

std::vector<AXWindow> AXWindow::windows(const RunningApp& app)
{
    AXActionScope scope;
    std::vector<AXWindow> out;
    for (Candidate& c : standardWindows(app, false))
        out.push_back(std::move(c.window));
    return out;
}

std::optional<AXWindow> AXWindow::focused()
{
    AXActionScope scope;
    const auto app = frontmostApp();
    if (!app)
        return std::nullopt;
    const AXResult r = read(applicationElement(app->pid), ax::FocusedWindow);
    if (const auto element = r.as<AXElement>(); element && element->isValid())
        return AXWindow{*element, *app};
    auto list = windows(*app);
    if (list.empty())
        return std::nullopt;
    return list.front();
}

std::vector<AXWindow> AXWindow::onScreenInZOrder(const std::function<bool(const RunningApp&)>& only,
                                                 const std::function<bool(const AXWindow&)>& keep)
{
    AXActionScope scope;
    const Platform& platform = Platform::current();
    const std::vector<WindowInfo> listed = platform.windowServer->onScreenWindows();
    std::set<int> listedPids;
    for (const WindowInfo& w : listed)
        listedPids.insert(w.ownerPid);

    const int self = platform.workspace->currentPid();
    std::vector<bool> taken(listed.size(), false);
    std::vector<std::pair<std::size_t, AXWindow>> matched;
    for (const RunningApp& app : platform.workspace->runningApplications()) {
        // Only applications with a window on screen are asked.
        if (!isOtherRegularApp(app, self) || app.hidden || !listedPids.count(app.pid) || (only && !only(app)))
            continue;
        for (Candidate& c : standardWindows(app, false, keep)) {
            const auto frame = c.window.frame();
            if (!frame)
                continue;
            for (std::size_t i = 0; i < listed.size(); ++i) {
                if (!taken[i] && listed[i].ownerPid == app.pid && listed[i].bounds.near(*frame, kOnScreenTolerance)) {
                    taken[i] = true;
                    matched.emplace_back(i, std::move(c.window));
                    break;
                }
            }
        }
    }
    std::sort(matched.begin(), matched.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<AXWindow> out;
    out.reserve(matched.size());
    for (auto& m : matched)
        out.push_back(std::move(m.second));
    return out;
}

std::vector<AXWindow> AXWindow::all(int limit)
{
    AXActionScope scope;
    std::vector<AXWindow> out;
    if (limit <= 0)
        return out;
    out = onScreenInZOrder();
    if (int(out.size()) >= limit) {
        out.resize(limit);
        return out;
    }
    const Platform& platform = Platform::current();
    const int self = platform.workspace->currentPid();
    for (const RunningApp& app : platform.workspace->runningApplications()) {
        if (!isOtherRegularApp(app, self))
            continue;
        for (Candidate& c : standardWindows(app, true)) {
            const bool wanted = app.hidden ? !c.window.string(ax::Title).value_or(QString()).isEmpty() : c.minimised;
            if (!wanted)
                continue;
            out.push_back(std::move(c.window));
            if (int(out.size()) >= limit)
                return out;
        }
    }
    return out;
}

std::optional<RunningApp> AXWindow::frontmostApp()
{
    Workspace& workspace = *Platform::current().workspace;
    const int self = workspace.currentPid();
    if (auto front = workspace.frontmostApplication(); front && front->pid != self)
        return front;
    if (g_lastOther && g_tracked == &workspace)
        return workspace.application(g_lastOther->pid);
    return std::nullopt;
}

void AXWindow::trackFrontmostApp()
{
    Workspace* workspace = Platform::current().workspace;
    if (g_tracked == workspace)
        return;
    g_tracked = workspace;
    g_lastOther.reset();
    if (auto front = workspace->frontmostApplication(); front && front->pid != workspace->currentPid())
        g_lastOther = front;
    QObject::connect(workspace, &Workspace::applicationActivated, workspace, [workspace](const RunningApp& app) {
        if (app.pid != workspace->currentPid())
            g_lastOther = app;
    });
}

std::optional<QStringList> AXWindow::titles(const RunningApp& app) { return titles(accessibility(), app); }

std::optional<QStringList> AXWindow::titles(Accessibility& accessibility, const RunningApp& app)
{
    AXActionScope scope;
    const AXResult r = read(accessibility, applicationElement(accessibility, app.pid), ax::Windows);
    if (r.error == AXError::noValue)
        return QStringList();
    const auto list = r.as<std::vector<AXElement>>();
    if (!list)
        return std::nullopt;
    QStringList out;
    for (const AXElement& e : *list)
        if (const auto title = read(accessibility, e, ax::Title).as<QString>())
            out << *title;
    return out;
}

bool isDiskImageWindow(const AXWindow& window)
{
    if (window.app.localizedName != QLatin1String("Finder")
        && window.app.bundleIdentifier != QLatin1String("com.apple.finder"))
        return false;
    const auto title = window.string(ax::Title);
    if (!title || title->isEmpty())
        return false;
    return Platform::current().workspace->mountedDiskImageNames().contains(*title);
}

} // namespace tavrin
