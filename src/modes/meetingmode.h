#pragma once

#include "platform/geometry.h"
#include "platform/timer.h"
#include "windows/axwindow.h"
#include "windows/unitrect.h"
#include "workspaces/autoarrangecontrol.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace tavrin {

class Microphone;
class WindowManager;
struct Platform;

// Meeting mode: while the microphone is in use, the call's window goes to the
// top middle of its display, under the camera, with a notes window below it;
// when the microphone is free again both go back where they were.
//
// A check runs every second once started: the microphone must have been in
// use for more than 2 seconds before a call is placed, and while it stays in
// use and no call window is found every check tries again. Checks run only
// while the mode is switched on and the process may use Accessibility;
// otherwise nothing changes (a call in progress stays placed). Main thread.
class MeetingMode : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    Q_PROPERTY(bool inCall READ inCall NOTIFY inCallChanged)
public:
    static constexpr double kCheckInterval = 1.0;
    // The microphone must have been in use for more than this.
    static constexpr double kMicrophoneSeconds = 2.0;
    // How long automatic arrangement keeps still when a call is placed and
    // when it is put back.
    static constexpr double kAutoArrangePause = 5.0;
    // Fractions of the display's visible area.
    static constexpr double kWidth = 0.5;
    static constexpr double kUltrawideWidth = 0.34;
    static constexpr double kHeightAlone = 0.62;
    static constexpr double kHeightOverNotes = 0.56; // also where the notes begin
    static constexpr double kNotesHeight = 0.44;

    // The call client's application name, as its running application gives it.
    static const QString kCallClient;
    // The web meeting service whose address a browser tab's title may show.
    static const QString kWebMeetingHost;
    static const QString kFramesOwner;

    // Reads the switch, "mode.meeting": the stored value when it is a Bool,
    // else on. Works with the services of `platform` (its settings, clock,
    // microphone and Accessibility). Calls are placed with the gap of
    // `windows`; `autoArrange` is paused whenever a call is placed or put
    // back. All three must outlive this object. The program makes one, at
    // start.
    MeetingMode(WindowManager& windows, AutoArrangeControl& autoArrange, const Platform& platform,
                QObject* parent = nullptr);
    ~MeetingMode() override;

    bool enabled() const { return enabled_; }
    // Stores the switch under "mode.meeting" (also when it does not change);
    // switching off ends a call in progress at once.
    void setEnabled(bool on);
    // A call window and its display have been found and placed, until the
    // call ends.
    bool inCall() const { return inCall_; }
    // When the microphone was first seen in use in the current stretch of
    // use (the clock's monotonic seconds); none while it is free.
    std::optional<double> microphoneOnSince() const { return micOnSince_; }
    // The windows to put back when the call ends, with their frames: the
    // call first, then the notes.
    std::vector<std::pair<AXWindow, Rect>> restoreList() const;

    // Starts the checks, the first one second from now; a second call does
    // nothing.
    void start();
    bool isStarted() const { return timer_ != nullptr; }
    // One check (what the timer runs).
    void tick();
    // Looks for the call window (the frontmost on screen) and places it with
    // the notes window; nothing changes when there is none, when its frame
    // cannot be read or when it has no display.
    void enterCall();
    // Puts the remembered windows back; nothing when no call is in progress.
    void endCall();

    // Whether the window can be the call: by its application and its title.
    static bool isCallWindow(const AXWindow& window);
    static bool isCallWindow(const QString& app, const QString& title);
    // The default sound input is in use (false without a microphone service).
    static bool micInUse(const Microphone* microphone);

    // Where the call and, when there is one, the notes window go on a
    // display with this visible area.
    struct Placement {
        UnitRect call;
        std::optional<UnitRect> notes;
    };
    static Placement placement(const Rect& area, bool withNotes);

    // Applications whose windows can be the call; browsers whose tab can
    // show a web meeting; applications whose window goes under the call.
    static const QSet<QString>& meetingApps();
    static const QSet<QString>& browserApps();
    static const QStringList& notesApps();
    // The listed meeting or browser application `app` is (by name, or as
    // the same application is known on Linux); empty when none.
    static QString callAppName(const RunningApp& app);

signals:
    void enabledChanged(bool enabled);
    void inCallChanged(bool inCall);

private:
    void setInCall(bool inCall);
    // The notes window to go with a call on display `displayId`: the first
    // on that display, else the first anywhere.
    static std::optional<AXWindow> notesWindow(const std::vector<AXWindow>& windows, std::uint32_t displayId);

    WindowManager& windows_;
    AutoArrangeControl& autoArrange_;
    const Platform& platform_;
    bool enabled_ = true;
    bool inCall_ = false;
    QPointer<Timer> timer_;
    std::optional<double> micOnSince_;
};

} // namespace tavrin
