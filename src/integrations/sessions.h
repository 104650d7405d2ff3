#pragma once

#include "integrations/learnedstate.h"
#include "platform/filedialogs.h"
#include "platform/platform.h"
#include "platform/taskhandle.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/layoutkind.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/saveditem.h"
#include "workspaces/savedworkspace.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace tavrin {

class Timer;
class WindowManager;

// Keeps a resumable copy of what the user works on: the windows of the
// display that holds the focused window, saved as an automatic workspace
// before the computer sleeps, when the screens sleep or the session is
// switched away, on quit and every 20 minutes, while "sessions.autoSave" is
// on and the process is trusted for Accessibility.
//
// Also moves the user's portable settings to another computer: the export
// writes every key under the portable prefixes to one property list, the
// import replaces them from such a file.
//
// One shared object on the main thread; tests make their own.
class Sessions : public QObject {
    Q_OBJECT
public:
    static constexpr double kSaveInterval = 1200;
    static constexpr int kMaxWindows = SavedWorkspace::kMaxWindows; // a restore brings them all back
    static constexpr int kMinWindows = 2;
    static inline const QString kAutoSaveKey = QStringLiteral("sessions.autoSave");
    static inline const QString kSendBrowserURLsKey = QStringLiteral("sendBrowserURLs");
    static inline const QString kExportMarker = QStringLiteral("tavrinExport");
    static inline const QString kExportFileName = QStringLiteral("Tavrin learnings.plist");
    static inline const FileType kExportFileType{QStringLiteral("Property lists"), {QStringLiteral("plist")}};

    // Saves through `windows` (its focused display and usual layouts), on
    // the triggers of the platform's workspace and clock; names sessions
    // after the workspace `active` holds.
    Sessions(WindowManager& windows, const Platform& platform, const ActiveWorkspaceHolder& active,
             QObject* parent = nullptr);
    ~Sessions() override;

    // ---- Automatic session saves ----

    // Registers the triggers (the desktop's sleep, screens asleep, session
    // switched away and quit, and a repeating 1200 s timer) once; later calls
    // do nothing. Saves nothing by itself: the first timed save comes 1200 s
    // after.
    void start();
    bool isStarted() const { return !triggers_.empty(); }

    // Saves the focused display's windows as an automatic workspace, unless
    // saves are off, a save that reads browser tabs is still running, the
    // process is not trusted, or fewer than 2 windows lie on that display.
    // With `withTabs`, and while "sendBrowserURLs" is on, a save with a browser
    // among its windows reads what the windows show with scripts in the
    // background and finishes later (isSaving() meanwhile); every other save
    // finishes before it returns. Where applications are not scripted
    // (Linux), what windows show is read from files and /proc and asks no
    // one: every save reads it (browsers while "sendBrowserURLs" is on), in
    // the background with `withTabs`, at once without (the quit). Failures
    // are silent: the next trigger tries again.
    void save(bool withTabs);
    bool isSaving() const { return saving_; }

    // "sessions.autoSave": on when missing or not a switch.
    bool autoSave() const;

    // The windows a save keeps from `display`: the on-screen standard windows
    // whose frame overlaps it most, front to back, the focused one first, at
    // most 8 (those beyond go to `leftOut`, when given). Windows whose frame
    // cannot be read are left out.
    static std::vector<AXWindow> sessionWindows(const Display& display, std::vector<AXWindow>* leftOut = nullptr);

    // The session's name for the final windows of a save (at least two) on
    // `display`: the active workspace when it was arranged there, unless the
    // user saved one of that name; else the first window's file name and " + "
    // the number of other windows; else the first two application names and
    // " + " the number of the others' windows.
    QString sessionName(const std::vector<AXWindow>& windows, const Display& display) const;

    // `name`, or where the user saved a workspace of that name (in any
    // case) the first of "<name> (automatic)", "<name> (automatic 2)", …
    // that names none: one name, one workspace.
    static QString unclaimedName(const QString& name, const QList<SavedWorkspace>& saved);

    // Builds the automatic workspace, saved now under an unclaimed name, and
    // merges it into the saved list (SavedWorkspaceStore::update).
    void makeSession(const QStringList& apps, const QString& name, LayoutKind layout,
                     const QList<SavedItem>& items) const;

    // ---- Moving the settings to another computer ----

    // Whether `key` is portable: it begins with one of the nine prefixes
    // ("learning.", "habits.", "savedWorkspaces", "layout.", "autoArrange.",
    // "sessions.", "focus.", "privacy.", "integrations."), case-sensitively.
    static bool isPortable(const QString& key);
    static const QStringList& portablePrefixes();
    // The portable keys the settings hold now.
    static QStringList exportedKeys();

    // The export's content: the marker (1) and every portable key with its
    // stored value.
    static QVariantMap exportContent();
    // Asks where to save, offering "Tavrin learnings.plist", and writes the
    // export there, replacing a file at that path all at once. Why the file
    // could not be written; empty when it was (its path in `savedTo`, when
    // given), or when the user cancelled.
    static QString exportLearnings(QString* savedTo = nullptr);

    // Why `value` (a file's content) is not an export: not a dictionary, empty,
    // or without the marker; empty when it is one.
    static QString exportProblem(const QVariant& value);
    // Replaces every portable key with the portable entries of `content` (a
    // checked export) in one change, then has `learned` read its state again
    // and the intents refreshed.
    static void applyImport(const QVariantMap& content, LearnedState& learned);
    // Asks for a file and imports it into the settings and `learned`. False
    // when the chosen file can't be read, isn't a property-list dictionary,
    // is empty or lacks the marker: nothing has changed then. True when it
    // was imported (`imported` set, when given), and when the user cancelled.
    static bool importLearnings(LearnedState& learned, bool* imported = nullptr);

private:
    struct Capture;
    // The windows, name, layout and applications of a save, or none when
    // there is nothing to save.
    std::optional<Capture> prepare() const;
    bool readsTabs(const QStringList& apps) const;
    // Makes the session of the capture's items and names the windows it
    // left out in the log.
    void finish(const Capture& capture, const QList<SavedItem>& items) const;
    void saveWithTabs(Capture capture, bool browsers = true);

    WindowManager& windows_;
    // The services the automatic saves run on.
    const Platform& platform_;
    const ActiveWorkspaceHolder& active_;
    std::vector<QMetaObject::Connection> triggers_;
    Timer* timer_ = nullptr;
    bool saving_ = false;
    TaskHandle task_;
};

} // namespace tavrin
