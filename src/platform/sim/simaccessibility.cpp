#include "platform/sim/simaccessibility.h"

#include <QThread>
#include <cmath>

#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"

namespace tavrin {

namespace {
const QString kApplicationRole = QStringLiteral("AXApplication");
const QString kSystemWideRole = QStringLiteral("AXSystemWide");
const QString kButtonRole = QStringLiteral("AXButton");

AXResult value(AXValue v) { return AXResult{AXError::success, std::move(v)}; }
AXResult failure(AXError error) { return AXResult{error, {}}; }
} // namespace

AXElement SimAccessibility::elementOf(const SimWindow& window) { return AXElement{window.pid, window.token}; }

bool SimAccessibility::isTrusted(bool prompt)
{
    auto guard = desktop_.lock();
    if (prompt && !desktop_.isTrusted())
        desktop_.countTrustPrompt();
    return desktop_.isTrusted();
}

bool SimAccessibility::timedOut(const SimApp& app)
{
    if (!app.timesOut)
        return false;
    desktop_.countTimeout(app.pid);
    // The call blocks its caller for the time-out; only a call on the main
    // thread holds up the desktop's time (background reads block their own).
    auto* sim = qobject_cast<SimClock*>(&desktop_.clock());
    if (sim && QThread::currentThread() == sim->thread())
        sim->elapse(desktop_.messagingTimeout(app.pid));
    return true;
}

SimAccessibility::Target SimAccessibility::resolve(const AXElement& element)
{
    Target t;
    if (!desktop_.isTrusted()) {
        t.error = AXError::apiDisabled;
        return t;
    }
    t.app = desktop_.app(element.pid);
    if (!t.app) {
        t.error = AXError::invalidElement;
        return t;
    }
    if (timedOut(*t.app)) {
        t.error = AXError::cannotComplete;
        return t;
    }
    if (element.isApplication())
        return t;
    if (const SimWindow* w = desktop_.window(element.token); w && w->pid == element.pid)
        t.window = w;
    else if (const SimWindow* owner = desktop_.windowOfCloseButton(element.token); owner && owner->pid == element.pid)
        t.closeButtonOf = owner;
    else
        t.error = AXError::invalidElement;
    return t;
}

AXResult SimAccessibility::attribute(const AXElement& element, const QString& name)
{
    auto guard = desktop_.lock();
    if (element.isSystemWide()) {
        if (!desktop_.isTrusted())
            return failure(AXError::apiDisabled);
        return name == ax::Role ? value(kSystemWideRole) : failure(AXError::attributeUnsupported);
    }
    if (element.pid == SimDesktop::kDockPid) {
        // A dock item: its application's name.
        const QString item = desktop_.dockItems().value(qsizetype(element.token) - 1);
        if (item.isEmpty())
            return failure(AXError::invalidElement);
        return name == ax::Title ? value(item) : failure(AXError::attributeUnsupported);
    }
    const Target t = resolve(element);
    if (t.error != AXError::success)
        return failure(t.error);
    if (t.window)
        return windowAttribute(*t.window, name);
    if (t.closeButtonOf) {
        if (name == ax::Role)
            return value(kButtonRole);
        if (name == ax::Subrole)
            return value(ax::CloseButton);
        return failure(AXError::attributeUnsupported);
    }
    return applicationAttribute(*t.app, name);
}

AXResult SimAccessibility::applicationAttribute(const SimApp& app, const QString& name) const
{
    if (name == ax::Role)
        return value(kApplicationRole);
    if (name == ax::Title)
        return value(app.name);
    if (name == ax::Windows) {
        std::vector<AXElement> windows;
        for (const SimWindow* w : desktop_.windowsOf(app.pid))
            if (w->accessible)
                windows.push_back(elementOf(*w));
        return value(std::move(windows));
    }
    if (name == ax::FocusedWindow) {
        const SimWindow* focused = desktop_.focusedWindow(app.pid);
        return focused && focused->accessible ? value(elementOf(*focused)) : failure(AXError::noValue);
    }
    if (name == ax::EnhancedUserInterface)
        return value(app.enhancedUserInterface);
    return failure(AXError::attributeUnsupported);
}

AXResult SimAccessibility::windowAttribute(const SimWindow& w, const QString& name) const
{
    if (name == ax::Role)
        return value(ax::WindowRole);
    if (name == ax::Subrole)
        return value(w.subrole);
    if (name == ax::Title)
        return value(w.title);
    if (name == ax::Position)
        return value(w.frame.origin());
    if (name == ax::Size)
        return value(w.frame.size());
    if (name == ax::Minimized)
        return value(w.minimised);
    if (name == ax::FullScreen)
        return value(w.fullScreen);
    if (name == ax::Document)
        return w.document.isEmpty() ? failure(AXError::noValue) : value(w.document);
    if (name == ax::CloseButton)
        return value(AXElement{w.pid, w.closeButton});
    return failure(AXError::attributeUnsupported);
}

AXError SimAccessibility::setAttribute(const AXElement& element, const QString& name, const AXValue& v)
{
    auto guard = desktop_.lock();
    if (element.isSystemWide())
        return desktop_.isTrusted() ? AXError::attributeUnsupported : AXError::apiDisabled;
    const Target t = resolve(element);
    if (t.error != AXError::success)
        return t.error;
    if (t.window)
        return setWindowAttribute(*t.window, name, v);
    if (t.closeButtonOf || name != ax::EnhancedUserInterface)
        return AXError::attributeUnsupported;
    const bool* on = std::get_if<bool>(&v);
    if (!on)
        return AXError::illegalArgument;
    desktop_.setEnhancedUserInterface(t.app->pid, *on);
    return AXError::success;
}

AXError SimAccessibility::setWindowAttribute(const SimWindow& w, const QString& name, const AXValue& v)
{
    if (name == ax::Position) {
        const Point* p = std::get_if<Point>(&v);
        if (!p)
            return AXError::illegalArgument;
        desktop_.setFrame(w.token, Rect(*p, w.frame.size()));
        return AXError::success;
    }
    if (name == ax::Size) {
        const Size* s = std::get_if<Size>(&v);
        if (!s)
            return AXError::illegalArgument;
        if (!w.resizable)
            return AXError::attributeUnsupported;
        // A window takes no size below its minimum (and never below one
        // point); one that sizes in steps takes the largest step that fits.
        auto fit = [](double wanted, double minimum, double step) {
            const double v = std::max({wanted, minimum, 1.0});
            return step > 0 ? minimum + std::floor((v - minimum) / step) * step : v;
        };
        const Size clamped{fit(s->width, w.minSize.width, w.sizeStep.width),
                           fit(s->height, w.minSize.height, w.sizeStep.height)};
        desktop_.setFrame(w.token, Rect(w.frame.origin(), clamped));
        return AXError::success;
    }
    if (name == ax::Minimized) {
        const bool* minimised = std::get_if<bool>(&v);
        if (!minimised)
            return AXError::illegalArgument;
        desktop_.setMinimised(w.token, *minimised);
        return AXError::success;
    }
    return AXError::attributeUnsupported;
}

AXError SimAccessibility::performAction(const AXElement& element, const QString& action)
{
    auto guard = desktop_.lock();
    if (element.isSystemWide())
        return desktop_.isTrusted() ? AXError::actionUnsupported : AXError::apiDisabled;
    const Target t = resolve(element);
    if (t.error != AXError::success)
        return t.error;
    if (t.window && action == ax::Raise) {
        desktop_.raiseWindow(t.window->token);
        return AXError::success;
    }
    if (t.closeButtonOf && action == ax::Press) {
        desktop_.removeWindow(t.closeButtonOf->token);
        return AXError::success;
    }
    return AXError::actionUnsupported;
}

AXResult SimAccessibility::elementAtPosition(const AXElement& root, Point point)
{
    auto guard = desktop_.lock();
    if (!desktop_.isTrusted())
        return failure(AXError::apiDisabled);
    int pid = 0;
    if (!root.isSystemWide()) {
        const Target t = resolve(root);
        if (t.error != AXError::success)
            return failure(t.error);
        if (!root.isApplication())
            return failure(AXError::attributeUnsupported);
        pid = root.pid;
    }
    // The system-wide element finds the dock's items above every window.
    if (pid == 0) {
        const QStringList items = desktop_.dockItems();
        if (const qsizetype item = items.indexOf(desktop_.dockItemAt(point)); item >= 0)
            return value(AXElement{SimDesktop::kDockPid, std::uint64_t(item) + 1});
    }
    const SimWindow* w = desktop_.windowAt(point, pid);
    if (!w)
        return failure(AXError::noValue);
    // The system-wide element asks the application under the point.
    if (pid == 0 && timedOut(*desktop_.app(w->pid)))
        return failure(AXError::cannotComplete);
    return value(elementOf(*w));
}

void SimAccessibility::setMessagingTimeout(const AXElement& element, double seconds)
{
    if (element.isSystemWide())
        desktop_.setDefaultMessagingTimeout(seconds);
    else
        desktop_.setMessagingTimeout(element.pid, seconds);
}

} // namespace tavrin
