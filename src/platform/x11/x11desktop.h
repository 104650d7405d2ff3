#pragma once

#include "platform/desktop.h"

#include <QString>
#include <memory>

namespace tavrin {

class DesktopEntries;
class X11Automation;
class X11Accessibility;
class X11Connection;
class X11Defaults;
class X11EventMonitors;
class X11HotKeys;
class X11InputTaps;
class X11Keyboard;
class X11Screens;
class X11VeilSurfaces;
class X11WindowServer;
class X11Windows;
class X11Workspace;

// The real desktop: an X server with an EWMH window manager. Owns every
// service of the X11 backend and hands them out with the common ones; its
// settings are the common settings with the desktop's own domains read
// through them.
class X11Desktop : public Desktop {
public:
    // Connects to `display` (empty: $DISPLAY) and checks that a window
    // manager that follows EWMH runs there. Null with a one-line reason in
    // `error` otherwise.
    static std::unique_ptr<X11Desktop> connect(QString* error, const QString& display = {});
    ~X11Desktop() override;

    // The workspace and the settings need the common clock.
    Platform startServices(const Platform& common) override;

    X11Connection& connection() { return *conn_; }
    X11Windows& windows() { return *windows_; }
    X11Accessibility& accessibility() { return *accessibility_; }
    X11Screens& screens() { return *screens_; }
    X11HotKeys& hotKeys() { return *hotKeys_; }
    X11EventMonitors& eventMonitors() { return *eventMonitors_; }
    X11WindowServer& windowServer() { return *windowServer_; }
    // Made by `platform`; null before.
    X11Workspace* workspace() { return workspace_.get(); }

private:
    X11Desktop() = default;

    // As the window manager names itself: the desktop whose settings it
    // reads (its edge tiling, the settings program) is found by it.
    QString windowManagerName_;
    std::unique_ptr<X11Connection> conn_;
    std::unique_ptr<DesktopEntries> entries_;
    std::unique_ptr<X11Windows> windows_;
    std::unique_ptr<X11Keyboard> keyboard_;
    std::unique_ptr<X11Accessibility> accessibility_;
    std::unique_ptr<X11WindowServer> windowServer_;
    std::unique_ptr<X11Screens> screens_;
    std::unique_ptr<X11HotKeys> hotKeys_;
    std::unique_ptr<X11EventMonitors> eventMonitors_;
    std::unique_ptr<X11InputTaps> inputTaps_;
    std::unique_ptr<X11VeilSurfaces> veilSurfaces_;
    std::unique_ptr<X11Workspace> workspace_;
    std::unique_ptr<X11Defaults> defaults_;
    std::unique_ptr<X11Automation> automation_;
};

} // namespace tavrin
