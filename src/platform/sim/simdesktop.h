#pragma once

#include "platform/desktop.h"
#include "platform/platform.h"
#include "platform/screens.h"
#include "platform/sim/simstate.h"
#include "platform/sim/simsurfacestack.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tavrin {

class Clock;
class Defaults;
class Keychain;
class SimAccessibility;
class SimWindowServer;
class SimScreens;
class SimWorkspace;
class SimHotKeys;
class SimEventMonitors;
class SimAppearance;
class SimLanguageModel;
class SimAutomation;
class SimProcesses;
class SimMicrophone;
class SimCalendarStore;
class SimInputTaps;
class SimVeilSurfaces;
class SimTilingDefaults;

// A whole desktop in memory: displays, running and installed applications,
// their windows in one front-to-back order, the frontmost application, the
// keyboard, the mouse and the Accessibility permission. The platform services
// over it (`startServices()`) behave like the real ones; tests and the desktop view
// read it directly and drive it through the methods below.
//
// Reads that return references, and every driving call, belong to the main
// thread. The services may also be called from background work: they and
// the driving calls hold the desktop's lock.
class SimDesktop : public QObject, public Desktop {
    Q_OBJECT
public:
    static constexpr double kMenuBarHeight = 24;
    static constexpr double kTitleBarHeight = 28;
    static constexpr double kDefaultMessagingTimeout = 1.0;
    // This process's pid while no application of the state is this process.
    static constexpr int kDetachedSelfPid = 99999;
    // The dock's process (no application of the state) and its layer.
    static constexpr int kDockPid = 99998;
    static constexpr int kDockLayer = 20;

    // The clock must outlive the desktop.
    explicit SimDesktop(Clock& clock, QObject* parent = nullptr);
    ~SimDesktop() override;

    Clock& clock() const { return clock_; }

    // The services over this desktop, ready for `Platform::install`: its
    // own, with its clock, appearance and language model; key store and
    // network from `common`, and `common`'s settings with this desktop's
    // edge tiling.
    Platform startServices(const Platform& common) override;
    SimAccessibility& accessibility() const { return *accessibility_; }
    SimWindowServer& windowServer() const { return *windowServer_; }
    SimWorkspace& workspace() const { return *workspace_; }
    SimHotKeys& hotKeys() const { return *hotKeys_; }
    SimEventMonitors& eventMonitors() const { return *eventMonitors_; }
    SimAppearance& appearance() const { return *appearance_; }
    SimLanguageModel& languageModel() const { return *languageModel_; }
    SimAutomation& automation() const { return *automation_; }
    SimProcesses& processes() const { return *processes_; }
    SimMicrophone& microphone() const { return *microphone_; }
    SimInputTaps& inputTaps() const { return *inputTaps_; }
    SimVeilSurfaces& veilSurfaces() const { return *veilSurfaces_; }

    // Replaces the whole state (a scenario): gives windows fresh elements,
    // numbers and pids where missing, drops pending launches. Announces
    // nothing but `changed` and the screens' change.
    void load(SimState state);

    // ---- Reading ----
    std::unique_lock<std::recursive_mutex> lock() const { return std::unique_lock(mutex_); }

    const std::vector<SimDisplay>& displays() const { return state_.displays; }
    // A display's area without the menu bar (first display) and its dock.
    Rect visibleFrame(std::size_t displayIndex) const;
    // The dock of a display that has one: a strip along its bottom edge,
    // half the display wide and centred, holding the regular applications
    // in launch order, each in an equal slot. None without a dock.
    std::optional<Rect> dockFrame(std::size_t displayIndex) const;
    QStringList dockItems() const;
    // The name of the dock item at a point, or empty.
    QString dockItemAt(Point point) const;
    std::vector<ScreenInfo> screens() const;

    const std::vector<SimApp>& apps() const { return state_.apps; }
    const SimApp* app(int pid) const;
    const SimApp* appNamed(const QString& name) const;
    // The running application installed at this location.
    const SimApp* appAt(const QString& location) const;
    int frontmostPid() const { return state_.frontmostPid; }
    const SimApp* frontmostApp() const { return app(state_.frontmostPid); }
    int selfPid() const;

    // Every window, front to back, minimised and hidden ones included.
    const std::vector<SimWindow>& windows() const { return state_.windows; }
    const SimWindow* window(std::uint64_t token) const;
    const SimWindow* windowByNumber(std::uint32_t number) const;
    // The front-most window with this title.
    const SimWindow* windowTitled(const QString& title) const;
    // The window whose close button this element token is.
    const SimWindow* windowOfCloseButton(std::uint64_t token) const;
    // An application's windows in its own front-to-back order.
    std::vector<const SimWindow*> windowsOf(int pid) const;
    // An application's focused window: its front-most window that is not
    // minimised, or none.
    const SimWindow* focusedWindow(int pid) const;
    // The frontmost application's focused window.
    const SimWindow* focusedWindow() const { return focusedWindow(state_.frontmostPid); }
    // Not minimised, not in full screen, of a running application that is not hidden.
    bool isOnScreen(const SimWindow& window) const;
    std::vector<const SimWindow*> onScreenWindows() const;
    // The front-most on-screen window at a point (of one application, when given).
    const SimWindow* windowAt(Point point, int pid = 0) const;

    // This process's surfaces (veils) and where they stand among the windows.
    const std::vector<SimSurface>& surfaces() const { return surfaces_.all(); }
    const SimSurface* surface(std::uint32_t number) const;
    // The on-screen windows and the visible surfaces, front to back.
    std::vector<SimStackEntry> stack() const;

    const std::vector<SimInstalledApp>& installedApps() const { return state_.installed; }
    const SimInstalledApp* installedApp(const QString& location) const;
    // Where an application of this name is installed (running ones first), or empty.
    QString locationOf(const QString& name) const;
    QString defaultAppFor(const QString& scheme) const { return state_.defaultApps.value(scheme.toLower()); }
    double launchDelay() const { return state_.launchDelay; }
    const std::vector<SimKey>& refusedHotKeys() const { return state_.refusedHotKeys; }
    QStringList diskImages() const;
    // Terminals' processes, in listing order.
    const std::vector<SimProcess>& terminalProcesses() const { return state_.processes; }

    bool isTrusted() const { return state_.trusted; }
    bool microphoneInUse() const { return state_.microphoneInUse; }
    const QStringList& applicationFiles() const { return state_.applicationFiles; }
    CalendarAccess calendarAccess() const;
    const std::vector<SimCalendar>& calendars() const { return state_.calendars; }
    const QStringList& shortcuts() const { return state_.shortcuts; }
    std::uint64_t modifierFlags() const { return modifierFlags_; }
    std::uint32_t pressedMouseButtons() const { return mouseButtons_; }
    Point mouseLocation() const { return mouseLocation_; }

    int beepCount() const { return beeps_; }
    const QStringList& logLines() const { return log_; }
    int timeoutCount(int pid) const { return timeouts_.value(pid); }
    int trustPrompts() const { return trustPrompts_; }
    // The pages of the desktop's settings opened so far, in order.
    const QStringList& settingsOpened() const { return settingsOpened_; }
    // The desktop's own edge tiling; none until it is set (the settings
    // store's domain answers until then).
    std::optional<bool> edgeTiling() const;
    double messagingTimeout(int pid) const;

    // ---- Driving ----
    void setTrusted(bool trusted);
    void setDiskImages(QStringList names);
    // Without a settings application no settings page opens.
    void setHasSettings(bool has);
    // Pages (an address's path) the settings application does not have, as
    // a desktop without online accounts has none.
    void setSettingsLacking(QStringList pages);
    bool settingsLack(const QString& page) const;
    // The tab of the settings program that holds a page's setting, where the
    // program opens elsewhere (as Xfce's window tweaks do).
    void setSettingsTab(const QString& page, const QString& program, const QString& tab);
    std::optional<std::pair<QString, QString>> settingsTab(const QString& page) const;
    // Opens a page of the desktop's settings (recorded); false without a
    // settings application.
    bool openSettings(const QString& page);
    void setEdgeTiling(bool on);
    // Some program starts or stops recording from the default input.
    void setMicrophoneInUse(bool inUse);
    // The calendars, their events and the access to them; each change is
    // announced by the calendar store too.
    void setCalendarAccess(CalendarAccess access);
    void setCalendars(std::vector<SimCalendar> calendars);
    void setShortcuts(QStringList names);
    void setDisplays(std::vector<SimDisplay> displays);

    // Starts an application with these windows (in front of all others) and
    // announces its launch. Returns its pid (a new one when `app.pid` is 0).
    int addApp(SimApp app, std::vector<SimWindow> windows = {});
    // Ends an application: its windows go, it is remembered as installed
    // with them, and its termination is announced. False for an unknown pid.
    bool removeApp(int pid);
    void addInstalledApp(SimInstalledApp app);
    void setLaunchDelay(double seconds);

    // Opens a window of a running application in front of all others.
    // Returns its element token, or 0 when the pid is unknown.
    std::uint64_t addWindow(SimWindow window);
    // Closes a window; false when it is gone already.
    bool removeWindow(std::uint64_t token);
    bool setFrame(std::uint64_t token, Rect frame);
    bool setTitle(std::uint64_t token, const QString& title);
    // Brings a browser window's tab to the front; the window takes its title.
    bool setActiveTab(std::uint64_t token, int index);
    // Whether Accessibility lists the window yet.
    bool setAccessible(std::uint64_t token, bool accessible);
    // Minimising sends a window behind all others; restoring brings it in front.
    bool setMinimised(std::uint64_t token, bool minimised);
    bool setFullScreen(std::uint64_t token, bool fullScreen);
    // To the front of the global order (and so its application's focused window).
    bool raiseWindow(std::uint64_t token);

    // Hiding the frontmost application makes the next one frontmost.
    bool setHidden(int pid, bool hidden);
    // Makes an application frontmost without reordering its windows.
    bool setFrontmost(int pid);
    // Unhides an application, brings its windows to the front and makes it frontmost.
    bool activate(int pid);
    void setTimesOut(int pid, bool timesOut);
    void setMessagingTimeout(int pid, double seconds);
    void setDefaultMessagingTimeout(double seconds);
    void setEnhancedUserInterface(int pid, bool on);
    // How an application answers scripts: whether it lets this process
    // script it, how long a script takes on the clock, whether it fails.
    void setAutomation(int pid, SimAutomationAccess access);
    void setScriptDelay(int pid, double seconds);
    void setScriptsFail(int pid, bool fail);

    void setRefusedHotKeys(std::vector<SimKey> keys);
    // A key pressed with these Carbon modifiers: the hot key registered for it
    // fires on the clock (zero delay). True when a hot key of this process took it.
    bool pressKey(std::uint32_t keyCode, std::uint32_t modifiers);
    // The modifier keys now held (device-independent flags); announced to
    // the global monitors, or the local ones while this process is frontmost.
    void setModifierFlags(std::uint64_t flags);

    // The left mouse button. A press on a window brings it and its
    // application to the front; a press on its title bar lets moves drag it.
    // The input taps see each press, drag and release first.
    void mouseDown(Point location);
    void mouseMove(Point location);
    void mouseUp(Point location);

    void fireWillSleep();
    void fireScreensDidSleep();
    void fireSessionDidResignActive();
    void fireWillTerminate();

    // Records of what the system did.
    void beep();
    void log(const QString& line);
    // One Accessibility call that ran into the application's time-out.
    void countTimeout(int pid);
    void countTrustPrompt();

    // Runs `fn` on the clock at zero delay, unless the desktop is gone by then.
    void post(std::function<void()> fn);

    // A new surface of this process showing `content`, hidden; its number.
    std::uint32_t addSurface(QWidget* content);
    void removeSurface(std::uint32_t number);
    // Changes a surface through the stack (under the lock), then announces
    // the change; false for an unknown number.
    bool changeSurface(std::uint32_t number, const std::function<void(SimSurface&, SimSurfaceStack&)>& change);

signals:
    // After every change of the state, records of beeps, log lines and
    // time-outs included; possibly from a background thread when a service
    // was called there.
    void changed();

private:
    SimWindow* mutableWindow(std::uint64_t token);
    SimApp* mutableApp(int pid);
    std::uint64_t place(SimWindow window, std::size_t index);
    // The application to make frontmost when `leaving` stops being it.
    int nextFrontmost(int leaving) const;
    void makeFrontmost(int pid);
    void announceActivated(int pid);
    void forget(int pid);
    // Before these windows leave their place in the order.
    void leaving(std::vector<std::uint64_t> tokens) { surfaces_.windowsLeaving(tokens, state_.windows); }

    Clock& clock_;
    mutable std::recursive_mutex mutex_;
    SimState state_;
    std::uint64_t nextToken_ = 1;
    std::uint32_t nextNumber_ = 100;
    int nextPid_ = 501;
    double defaultTimeout_ = kDefaultMessagingTimeout;

    std::uint64_t modifierFlags_ = 0;
    std::uint32_t mouseButtons_ = 0;
    Point mouseLocation_;
    std::uint64_t dragging_ = 0; // the window a title-bar press holds
    Point dragFrom_;

    int beeps_ = 0;
    QStringList log_;
    QHash<int, int> timeouts_;
    int trustPrompts_ = 0;
    bool hasSettings_ = true;
    QStringList settingsLacking_;
    QHash<QString, std::pair<QString, QString>> settingsTabs_;
    QStringList settingsOpened_;
    std::optional<bool> edgeTiling_;
    // The settings store handed out over the one given, and that one.
    std::unique_ptr<SimTilingDefaults> defaults_;
    Defaults* wrappedDefaults_ = nullptr;

    std::unique_ptr<SimAccessibility> accessibility_;
    std::unique_ptr<SimWindowServer> windowServer_;
    std::unique_ptr<SimScreens> screens_;
    std::unique_ptr<SimWorkspace> workspace_;
    std::unique_ptr<SimHotKeys> hotKeys_;
    std::unique_ptr<SimEventMonitors> eventMonitors_;
    std::unique_ptr<SimAppearance> appearance_;
    std::unique_ptr<SimLanguageModel> languageModel_;
    std::unique_ptr<SimAutomation> automation_;
    std::unique_ptr<SimProcesses> processes_;
    std::unique_ptr<SimMicrophone> microphone_;
    std::unique_ptr<SimCalendarStore> calendarStore_;
    std::unique_ptr<SimInputTaps> inputTaps_;
    std::unique_ptr<SimVeilSurfaces> veilSurfaces_;
    SimSurfaceStack surfaces_;
};

} // namespace tavrin
