#pragma once

#include "platform/calendarstore.h"
#include "platform/geometry.h"
#include "platform/runningapp.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace tavrin {

// The records the simulated desktop is made of. A scenario file fills a
// `SimState`; the desktop keeps one and changes it as the system and the tests
// act on it.

// One screen. Frames are in top-left screen points; the first display holds
// the menu bar.
struct SimDisplay {
    QString name;
    Rect frame;
    double scale = 1;         // pixels per point
    std::uint32_t number = 0; // the display number; 0 gets one assigned
    std::uint32_t serial = 0; // 0 when the display reports none
    double dockHeight = 0;    // a dock along the bottom edge, or 0
};

// One tab of a browser window.
struct SimTab {
    QString title;
    QString url;
};

// One window of an application.
struct SimWindow {
    std::uint64_t token = 0;       // its Accessibility element; given by the desktop
    std::uint64_t closeButton = 0; // its close button's element; given by the desktop
    std::uint32_t number = 0;      // its window-server number; 0 gets one assigned
    int pid = 0;                   // the owning application
    QString title;
    Rect frame;
    QString subrole = QStringLiteral("AXStandardWindow");
    bool minimised = false;
    bool fullScreen = false; // in a full-screen space of its own: never on screen here
    QString document;        // a file address, or empty
    Size minSize;            // the smallest size it accepts
    Size sizeStep;           // it grows from its minimum in whole steps of this (0: any size)
    bool resizable = true;
    int layer = 0;
    // False while Accessibility does not list it yet: a new window may reach
    // the window server a moment before it.
    bool accessible = true;
    std::vector<SimTab> tabs; // browsers: the window's tabs
    int activeTab = 0;
    QString tty;    // terminals: the device of the tab in front ("/dev/ttys003")
    QString folder; // file managers: the folder shown; terminals: the session's folder

    // The address the window shows: its active tab's, or empty.
    QString url() const
    {
        return activeTab >= 0 && activeTab < int(tabs.size()) ? tabs[std::size_t(activeTab)].url : QString();
    }
};

// Whether an application lets this process script it.
enum class SimAutomationAccess { allowed, denied, notAsked };

// One running application.
struct SimApp {
    int pid = 0;
    QString name;
    QString bundleId;
    QString location;
    ActivationPolicy policy = ActivationPolicy::regular;
    bool hidden = false;
    bool timesOut = false; // every Accessibility call runs into its time-out
    bool isSelf = false;   // this process
    bool enhancedUserInterface = false;
    double messagingTimeout = 0; // 0: the desktop's default
    SimAutomationAccess automation = SimAutomationAccess::allowed;
    double scriptDelay = 0;   // seconds a script takes to answer
    bool scriptsFail = false; // every script reports an error

    RunningApp snapshot(bool active) const { return RunningApp{pid, name, bundleId, location, policy, hidden, active}; }
};

// An installed application, running or not, with the windows a launch opens
// (front to back; their tokens, numbers and pid are given at launch).
struct SimInstalledApp {
    QString name;
    QString bundleId;
    QString location;
    ActivationPolicy policy = ActivationPolicy::regular;
    std::vector<SimWindow> windows;
};

// A process of a terminal: what a process listing of its terminal device
// shows, and the folder it works in.
struct SimProcess {
    int pid = 0;
    QString tty;     // the device without "/dev/" ("ttys003")
    QString command; // as listed: "-zsh", "/bin/bash", "vim"
    QString cwd;
    bool hangs = false; // asking for its folder never ends (a stale network mount)
};

// A key combination: Mac virtual key code and Carbon modifier mask.
struct SimKey {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    friend bool operator==(const SimKey&, const SimKey&) = default;
};

// One of the user's calendars with its events (instants on the desktop's
// clock; a repeating event is one entry per occurrence).
struct SimCalendar {
    CalendarInfo info;
    std::vector<CalendarEvent> events;
};

struct SimState {
    std::vector<SimDisplay> displays;
    std::vector<SimApp> apps;       // in launch order
    std::vector<SimWindow> windows; // every window, front to back
    std::vector<SimInstalledApp> installed;
    QHash<QString, QString> defaultApps; // address scheme → application location
    std::vector<SimKey> refusedHotKeys;  // held by other programs
    QStringList diskImages;              // names of mounted disk-image volumes
    std::vector<SimProcess> processes;   // terminals' processes, in listing order
    int frontmostPid = 0;                // 0: none
    bool trusted = true;
    double launchDelay = 1.0;     // seconds from a launch to its windows
    bool microphoneInUse = false; // some program records from the default input
    // Further entries of the application folders beside the locations of the
    // installed and running applications ("/Applications/Tools/A.app",
    // "/Applications/Readme.txt", "~/Applications/B.app"): what a listing of
    // those folders finds.
    QStringList applicationFiles;
    // Whether this program may read the calendars; asking, while the user
    // has not answered, grants full access.
    CalendarAccess calendarAccess = CalendarAccess::notDetermined;
    std::vector<SimCalendar> calendars;
    // The names of the user's shortcuts, as the Shortcuts tool lists them.
    QStringList shortcuts;
};

} // namespace tavrin
