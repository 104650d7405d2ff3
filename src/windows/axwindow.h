#pragma once

#include "platform/axelement.h"
#include "platform/geometry.h"
#include "platform/registration.h"
#include "platform/runningapp.h"
#include "windows/moveobserver.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

namespace tavrin {

class Accessibility;

// One window of another application: its Accessibility element and the
// application that owns it. Every component that reads or moves windows goes
// through here. Main thread, except `titles(of:)`.
//
// Calls to an application that does not answer fail after its messaging
// time-out (1 s). Inside an AXActionScope such an application is not asked
// again, so one action costs at most one time-out per application.
struct AXWindow {
    AXElement element;
    RunningApp app;

    // "pid:hash": the owning process and the element's hash.
    QString id() const;

    // The frame in top-left screen points from "AXPosition" and "AXSize";
    // none when either cannot be read.
    std::optional<Rect> frame() const;
    // A string attribute, or none when missing or not a string.
    std::optional<QString> string(const QString& attribute) const;
    // "AXDocument" when it is a file address; none otherwise.
    std::optional<QUrl> documentURL() const;

    // Moves and resizes the window: tells the move observer first (when the
    // current frame can be read), then sets the frame (Accessibility's
    // `setFrame`) with the application's "AXEnhancedUserInterface" off
    // meanwhile. True when the position was set. `from` is where the window
    // stands when the caller has just read it: the observer is told that
    // without asking the window again, which keeps two reads off the way
    // from a hot key to the move.
    bool setFrame(const Rect& frame, const std::optional<Rect>& from = std::nullopt) const;
    // Makes `observer` the one told of every move by setFrame() until the
    // handle goes.
    [[nodiscard]] static Registration observeMoves(MoveObserver& observer);

    // The application's standard windows that are neither minimised nor full
    // screen, in the application's order; empty when none can be read.
    static std::vector<AXWindow> windows(const RunningApp& app);
    // The focused window of the frontmost other application (its first window
    // when none is focused), or none.
    static std::optional<AXWindow> focused();
    // The standard windows of the regular, visible other applications that
    // are on screen (matched to the window server's list within 2 points),
    // front to back. With `only`, of the applications it accepts alone, and
    // with `keep`, only the windows it keeps (asked before anything else of
    // a window is read): the same windows in the same order, without asking
    // the others.
    static std::vector<AXWindow> onScreenInZOrder(const std::function<bool(const RunningApp&)>& only = {},
                                                  const std::function<bool(const AXWindow&)>& keep = {});
    // Up to `limit` windows of regular applications, every display: the
    // on-screen ones front to back, then titled windows of hidden
    // applications and minimised windows.
    static std::vector<AXWindow> all(int limit);

    // The frontmost application when it is not this process, else the last
    // other application remembered by tracking, while it still runs.
    static std::optional<RunningApp> frontmostApp();
    // Remembers the frontmost other application now and on every activation
    // from now on. Idempotent.
    static void trackFrontmostApp();

    // The titles of the application's windows ("AXWindows"), in order:
    // empty when the application has no windows, none when the read fails.
    // Safe off the main thread: it only calls the Accessibility service
    // given (which must allow calls from any thread) for this one
    // application, never the installed services, which the main thread may
    // change or take away meanwhile. Take the service on the main thread
    // before the work starts, and keep it alive until the work is done.
    static std::optional<QStringList> titles(Accessibility& accessibility, const RunningApp& app);
    // The same with the installed service, on the main thread.
    static std::optional<QStringList> titles(const RunningApp& app);

    friend bool operator==(const AXWindow& a, const AXWindow& b) { return a.element == b.element; }
};

// Whether a Finder window shows a mounted disk image (its title is the name
// of a mounted disk-image volume).
bool isDiskImageWindow(const AXWindow& window);

} // namespace tavrin
