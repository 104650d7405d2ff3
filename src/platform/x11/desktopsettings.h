#pragma once

#include "platform/workspace.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

namespace tavrin {

// The running desktop's own settings program, which settings addresses open.
// The desktop is the one given (see `runningDesktop`), else the one
// XDG_CURRENT_DESKTOP names (GNOME, KDE, Xfce, Cinnamon, MATE, LXQt); another
// desktop's program is never started, as it would set what the running one
// does not read, or refuse to start.
class DesktopSettings {
public:
    // Where a program is installed, or empty.
    using Find = std::function<QString(const QString& program)>;
    // Starts a program without waiting for it; false when it didn't start.
    using Start = std::function<bool(const QString& path, const QStringList& arguments)>;

    // What opens one page on one desktop: a program and its arguments. A
    // program that takes no page argument opens where it likes: then `tab`
    // names where the setting is, and `title` the program as its window does.
    struct Opener {
        QString program;
        QStringList arguments;
        QString title = {};
        QString tab = {};
    };
    struct Desktop {
        QStringList names;                    // as XDG_CURRENT_DESKTOP names it
        Opener start;                         // the settings at their start
        Opener windows;                       // where windows and edge tiling are set
        std::optional<Opener> onlineAccounts; // none: the desktop has no such page
    };

    // Empty functions: the search path and a detached process; no desktop
    // given: XDG_CURRENT_DESKTOP.
    DesktopSettings(Find find, Start start, std::optional<QString> currentDesktop = std::nullopt);

    // The desktop whose settings the running window manager reads, by the
    // name it gives itself (_NET_WM_NAME of its _NET_SUPPORTING_WM_CHECK
    // window: xfwm4 reads Xfce's, KWin KDE's, GNOME's and Cinnamon's their
    // own), as XDG_CURRENT_DESKTOP would name it; else the desktop that
    // XDG_CURRENT_DESKTOP names (`named`). The window manager comes first: it
    // runs without a session that names it (xfwm4 started by hand).
    static QString runningDesktop(const QString& windowManager, const QString& named);

    // Opens the running desktop's settings at the page a settings address
    // names: windows and tiling, online accounts, else at their start.
    Workspace::SettingsOpening open(const QUrl& address) const;

    // The desktops known, in no particular order.
    static const QList<Desktop>& desktops();
    // The running desktop, when it is one of them.
    std::optional<Desktop> running() const;
    // Where the setting a settings address names is, when the program that
    // opens it can't be told to open there; none otherwise.
    std::optional<Workspace::SettingsTab> tab(const QUrl& address) const;

private:
    std::optional<Opener> opener(const QUrl& address) const;

    Find find_;
    Start start_;
    QString currentDesktop_;
};

} // namespace tavrin
