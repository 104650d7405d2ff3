#pragma once

#include "platform/accessibility.h"
#include "platform/x11/x11windows.h"

#include <QHash>
#include <QSet>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tavrin {

// Accessibility on an EWMH window manager. An application element is a
// process; a window element is its pid with the client window as token; a
// window's close button is the window's token with kCloseButtonBit set.
//
// Frames are the outer frames (decoration included) in root coordinates.
// Changes are asked of the window manager and then awaited until the window
// stands where the manager will put it, at most the application's messaging
// time-out. An application whose window did not answer in time is not waited
// for again — its calls fail at once with `cannotComplete` — until one of its
// windows shows a change.
//
// Reads (`attribute`, `setMessagingTimeout`) may come from any thread: those
// of other threads than the one that made this object go, one at a time,
// through a connection of their own that only reads, so they never touch
// the main connection, its events or what it keeps of the windows. Changes,
// actions and hit tests belong to that thread; elsewhere they fail with
// `cannotComplete`.
class X11Accessibility : public Accessibility {
    Q_OBJECT
public:
    static constexpr std::uint64_t kCloseButtonBit = 1ull << 32;
    static constexpr double kDefaultTimeout = 1.0;
    // After the manager has moved a window somewhere else than asked (a size
    // it does not allow), how long to wait for it to settle.
    static constexpr double kSettleTime = 0.05;

    explicit X11Accessibility(X11Windows& windows, QObject* parent = nullptr);
    ~X11Accessibility() override;

    bool isTrusted(bool prompt = false) override;
    AXElement applicationElement(int pid) override;
    AXElement systemWideElement() override;
    AXResult attribute(const AXElement& element, const QString& name) override;
    AXError setAttribute(const AXElement& element, const QString& name, const AXValue& value) override;
    AXError performAction(const AXElement& element, const QString& action) override;
    // One _NET_MOVERESIZE_WINDOW and one wait, where the attributes would
    // take three.
    AXError setFrame(const AXElement& window, const Rect& frame) override;
    AXResult elementAtPosition(const AXElement& root, Point point) override;
    void setMessagingTimeout(const AXElement& element, double seconds) override;

    double timeoutFor(int pid) const;

private:
    struct WindowRead {
        AXError error = AXError::success;
        X11WindowInfo info;
    };
    static xcb_window_t windowOf(const AXElement& e) { return xcb_window_t(e.token & 0xffffffffu); }
    static bool isWindow(const AXElement& e) { return e.pid > 0 && e.token && !(e.token & kCloseButtonBit); }
    static bool isCloseButton(const AXElement& e) { return e.pid > 0 && (e.token & kCloseButtonBit); }

    // What other threads read through: a connection that only reads, with
    // windows and desktop entries of its own.
    struct Reader;

    bool onOwnThread() const { return std::this_thread::get_id() == owner_; }
    AXResult read(X11Windows& windows, const AXElement& element, const QString& name);
    WindowRead readWindow(const AXElement& e, unsigned needs) { return readWindow(windows_, e, needs); }
    WindowRead readWindow(X11Windows& windows, const AXElement& e, unsigned needs);
    AXResult applicationAttribute(X11Windows& windows, const AXElement& e, const QString& name);
    AXResult windowAttribute(X11Windows& windows, const AXElement& e, const QString& name);
    bool enhancedUserInterface(int pid) const;
    AXError moveResize(const AXElement& e, std::optional<Point> origin, std::optional<Size> size);
    // After a move asked of the manager: success once the window stands at
    // `wanted`, or settles elsewhere than `from`; cannotComplete when it never
    // moves within its application's time (the application is then slow).
    AXError waitUntilPlaced(const AXElement& e, const Rect& from, const Rect& wanted);
    // Takes the maximised state off the window `w` reads, and reads it again
    // once the manager has given it its own frame back.
    AXError releaseMaximised(const AXElement& e, WindowRead& w, unsigned needs);
    AXError setMinimized(const AXElement& e, bool minimized);
    AXError setFullScreen(const AXElement& e, bool fullScreen);
    AXError raise(const AXElement& e);
    // Waits until `done` holds, re-checking after each event `relevant`
    // accepts; false after the application's time-out (and marks it slow).
    AXError await(int pid, const std::function<bool(const xcb_generic_event_t&)>& relevant,
                  const std::function<std::optional<AXError>()>& done);
    bool processExists(int pid) const;

    X11Windows& windows_;
    X11Connection& conn_;
    const std::thread::id owner_ = std::this_thread::get_id();
    // Time-outs and the enhanced-interface flags are read from any thread.
    mutable std::mutex stateMutex_;
    double defaultTimeout_ = kDefaultTimeout;
    QHash<int, double> timeouts_;
    QHash<int, bool> enhancedUserInterface_;
    QSet<int> slow_; // the owner thread's
    std::mutex readerMutex_;
    std::unique_ptr<Reader> reader_;
};

} // namespace tavrin
