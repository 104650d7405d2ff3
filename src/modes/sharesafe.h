#pragma once

#include "modes/idleveils.h"
#include "platform/registration.h"
#include "platform/runningapp.h"
#include "platform/timer.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <atomic>
#include <optional>
#include <vector>

namespace tavrin {

class Accessibility;
class Defaults;
class PrivacyPrompt;
struct Platform;

// Share-safe keeps private applications off a shared screen. It decides when
// their windows are covered and which applications are private; the veils
// themselves are the registered `Veils`, told after every change.
//
// Covering (`active`) goes on by hand (the Share-safe shortcut, a Focus
// routine through setManual()) or automatically when a sharing check sees a
// call or browser application's window title say that the screen is shared;
// an automatic covering ends with the detection, six clean checks later (the
// switch decides only whether detections turn covering on and off). Windows
// of applications hidden by hand (the hide shortcut) are covered whatever
// `active` says. Main thread, but for coveringNow().
class ShareSafe : public QObject {
    Q_OBJECT
    Q_PROPERTY(QSet<QString> hiddenByHand READ hiddenByHand NOTIFY hiddenByHandChanged)
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
    Q_PROPERTY(bool sharingDetected READ sharingDetected NOTIFY sharingDetectedChanged)
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
public:
    static constexpr double kCheckInterval = 1.5;
    // Consecutive checks without evidence that end a detection.
    static constexpr int kClearChecksToEnd = 6;

    // One application of a sharing check with the titles of its windows;
    // none when they could not be read.
    struct TitleRead {
        RunningApp app;
        std::optional<QStringList> titles;
    };

    // Reads the switch, "mode.shareSafe": the stored value when it is a
    // Bool, else on. Works with the services of `platform` (its settings,
    // run marks, applications, Accessibility and clock); the platform and
    // the prompt must outlive this object. The program makes one, at start.
    ShareSafe(PrivacyPrompt& prompt, const Platform& platform, QObject* parent = nullptr);
    ~ShareSafe() override;

    // Makes `veils` the ones told of every change until the handle goes;
    // without, veils that cover nothing.
    [[nodiscard]] Registration setVeils(Veils& veils) { return veils_.set(veils); }

    QSet<QString> hiddenByHand() const { return hiddenByHand_; }
    bool enabled() const { return enabled_; }
    // Stores the switch under "mode.shareSafe" (also when it does not
    // change); switching off ends an automatic covering.
    void setEnabled(bool on);
    bool active() const { return active_; }
    bool sharingDetected() const { return sharingDetected_; }
    // Covering was turned on by hand and is left alone by the switch and by
    // the end of a detection.
    bool manual() const { return manual_; }
    // Consecutive checks without evidence while a detection stands.
    int clearChecks() const { return clearChecks_; }
    // A check's title read is under way.
    bool isChecking() const { return detecting_; }
    // What the user must know about covering that the switch and the status
    // do not say (it came back after Tavrin stopped, it could not be kept
    // up), one sentence; empty when there is nothing to tell. The menu-bar
    // window shows it under Share-safe's row.
    QString notice() const { return notice_; }
    // Replaces the notice (empty clears it). A notice stands until it is
    // replaced or covering next goes on or off: set it after the change of
    // covering that it tells of. Main thread.
    void setNotice(const QString& text);
    // A copy of `active` for readers on other threads.
    bool coveringNow() const { return coveringNow_.load(std::memory_order_acquire); }

    // The private applications: "privacy.apps" when it holds a list of
    // names (an empty list: none), else the default ones.
    const QSet<QString>& privateNames() const;
    // Replaces them and stores them, sorted, under "privacy.apps".
    void setPrivateApps(const QSet<QString>& names);
    // The names and processes hidden by hand.
    const QSet<QString>& handNames() const { return handNames_; }
    const QSet<int>& handPids() const { return handPids_; }

    // Starts the checks, the first 1.5 s from now, and the watch on
    // applications that quit; a second call does nothing. When covering was
    // on as the last run ended without quitting in order (a crash, a kill),
    // covering goes on again by hand at once, with a notice saying so.
    void startDetecting();
    bool isDetecting() const { return detectTimer_ != nullptr; }
    // One check (what the timer runs): forgets hand-hidden processes that
    // are gone; then, when trusted and no read is under way, reads the
    // window titles of the running applications that can show sharing, off
    // the main thread, and applies them.
    void tick();
    // Judges one check's titles.
    void applyCheck(const std::vector<TitleRead>& reads);
    // An application quit: it is no longer hidden by hand (its name stays
    // while another process of that name is). `name` may be empty.
    void appTerminated(int pid, const QString& name);

    // The Share-safe shortcut: covering on by hand when it is off and
    // nothing is hidden by hand; otherwise every hand blur is lifted and
    // covering goes off.
    void toggleNow();
    // Covering on or off by hand (Focus routines).
    void setManual(bool on);
    // The hide shortcut: blurs the application in front, or lifts its blur
    // when it is hidden by hand already; the first time for an application
    // that is not private, asks whether to blur it whenever the screen is
    // shared.
    void hideFrontApp();
    // The prompt's answer for `app`: yes makes it private and records it as
    // added by the shortcut.
    void answer(bool yes, const QString& app);

    // Names made private by answering the hide shortcut's prompt, one per
    // answer (duplicates kept); the private-applications list tells them by it.
    static const QString kAddedByHideKey;
    // The settings the switch and the lists are kept in; none without.
    Defaults* defaults() const;
    // The names stored under `key` when it holds a list of names; none
    // otherwise.
    std::optional<QStringList> storedNames(const QString& key) const;

    // The applications that are private until the user changes the list, as
    // a Linux desktop names them.
    static const QStringList& defaultPrivateApps();
    // One of those, or of the Mac's names they stand for (which a list
    // stored by an earlier version may still hold).
    static bool isBuiltIn(const QString& name);
    // Per application, the title words that show it sharing the screen.
    static const QHash<QString, QStringList>& shareKeywords();
    // Call applications, whose meeting titles keep a detection alive.
    static const QSet<QString>& callApps();
    static const QStringList& holdWords();

    // Starts one sharing check: the titles are read on the clock's pool,
    // through the Accessibility service taken here, and applied when read.
    void startCheck();

    // Reads the titles of these applications' windows through `accessibility`
    // (any thread).
    static std::vector<TitleRead> readTitles(Accessibility& accessibility, const std::vector<RunningApp>& apps);

signals:
    void hiddenByHandChanged(const QSet<QString>& names);
    void enabledChanged(bool enabled);
    void activeChanged(bool active);
    void sharingDetectedChanged(bool detected);
    void noticeChanged(const QString& notice);
    // The private applications changed.
    void privateAppsChanged();

private:
    // The built-in private applications as a Mac names them.
    static const QStringList& macPrivateApps();
    // Appends to the list under `key` (a value that is not a list of names
    // is replaced).
    void appendName(const QString& key, const QString& name);
    Veils& veils();
    void setActive(bool on);
    // While covering is on, a run mark stands, taken down when covering
    // goes off or the program quits in order; a start that finds it left
    // standing covers again.
    void markCovering(bool on);
    void coverAgainIfLeftOn();
    void setSharingDetected(bool on);
    void publishHandNames();
    void pruneQuitHandApps();
    // Whether a check without a hit still shows a call going on.
    bool callGoesOn(const QStringList& callTitles) const;

    PrivacyPrompt& prompt_;
    const Platform& platform_;
    Collaborator<Veils> veils_;
    IdleVeils idle_;

    QSet<QString> hiddenByHand_;
    bool enabled_ = true;
    bool active_ = false;
    bool sharingDetected_ = false;
    bool manual_ = false;
    QString notice_;
    QPointer<Timer> detectTimer_;
    QMetaObject::Connection quitObserver_;
    int clearChecks_ = 0;
    bool detecting_ = false;

    mutable std::optional<QSet<QString>> privateNames_;
    QSet<QString> handNames_;
    QSet<int> handPids_;
    std::atomic<bool> coveringNow_{false};
};

} // namespace tavrin
