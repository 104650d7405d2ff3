#pragma once

#include "app/menubar/menubarservices.h"
#include "windows/display.h"
#include "windows/layoutkind.h"
#include "windows/shortcutaction.h"
#include "windows/windowsnapshot.h"
#include "workspaces/activeworkspace.h"
#include "workspaces/savedworkspace.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace tavrin {

class AppState;
class WindowManager;

// What the menu-bar window shows and does: the display the user works on
// with its windows, the six layouts, the two modes, at most one suggestion,
// the ask row, the three newest saved workspaces and the footer. Reads of
// the desktop and the store (the display, its windows, the saved
// workspaces, the suggestion) happen only in `refresh()`, on engine news and
// after a layout is applied, never while the window draws. Main thread only.
class NowContent : public QObject {
    Q_OBJECT
public:
    static constexpr double kWidth = 330;
    static constexpr double kPreviewWidth = 302;
    static constexpr double kRefreshDelay = 0.15;
    static constexpr int kSavedShown = 3;

    struct ModeRow {
        QString title;
        QString status;
        bool active = false;  // the status reads as active
        bool enabled = false; // the switch
        QString accessibilityLabel;
        QString notice; // a sentence under the row, or empty
    };

    // The suggestion card: its text in two parts (the first bold), and what
    // its two buttons do to the rule or habit it was made for.
    struct Suggestion {
        enum class Kind { habit, placement };
        Kind kind = Kind::habit;
        QString bold;
        QString rest;
        std::function<void()> add;
        std::function<void()> notNow;
    };

    struct SavedRow {
        int position = 0; // 1 to 3: the row's ⌘ digit
        QString name;
        QString detail;    // "Today 18:02 · 3 windows"
        QStringList tiles; // the first three applications
        QStringList keys;  // {"Ctrl", "1"}
        SavedWorkspace workspace;
    };

    explicit NowContent(MenuBarServices services, QObject* parent = nullptr);

    // ---- What the window read at its last refresh ----
    const std::optional<Display>& display() const { return display_; }
    const std::vector<WindowSnapshot>& snapshot() const { return snapshot_; }
    const QList<SavedWorkspace>& saved() const { return saved_; }
    const std::optional<Suggestion>& suggestion() const { return suggestion_; }

    // Reads the target display, its windows, the saved workspaces and the
    // suggestion afresh.
    void refresh();
    // Reads the target display and its windows again, and tells of a change
    // only when they differ from what was read before (a window came, went,
    // moved or took the focus).
    void refreshWindows();
    // The active workspace when it is on the display shown.
    std::optional<ActiveWorkspace> activeHere() const;

    // ---- The display section ----
    QString title() const;
    QString subtitle() const;
    // Width over height, at least 1.2; 1.6 without a display.
    double previewAspect() const;
    double previewHeight() const { return previewHeight(previewAspect()); }
    static double previewHeight(double aspect);
    // Empty while there are windows to show.
    QString previewOverlay() const;
    QString previewAccessibilityLabel() const;

    // ---- Layouts ----
    bool layoutsEnabled() const;
    LayoutKind usualKind() const;
    // The display's aspect for the glyphs: 3.2 without a display.
    double glyphAspect() const;
    std::optional<LayoutKind> hovered() const { return hovered_; }
    void enterLayout(LayoutKind kind);
    // Leaving clears the hover only if no neighbour took it meanwhile.
    void leaveLayout(LayoutKind kind);
    // The hovered layout, else the usual one.
    LayoutKind captionKind() const;
    QString layoutHelp(LayoutKind kind) const;
    QString layoutAccessibilityLabel(LayoutKind kind) const;
    // The window manager's message, or empty.
    QString message() const;
    // "Settings not saved: " and the reason, while changed settings are not
    // being saved; else empty.
    QString settingsProblem() const;
    // Applies the layout on the target display, remembers it, and refreshes
    // a moment later.
    void apply(LayoutKind kind);

    // ---- Modes, ask, saved workspaces ----
    ModeRow meetingRow() const;
    ModeRow shareSafeRow() const;
    void setMeetingEnabled(bool on);
    void setShareSafeEnabled(bool on);
    // The command bar's key caps.
    QStringList askShortcut() const;
    void ask();
    QList<SavedRow> savedRows() const;
    static QString emptySavedText();
    void openSaved(int position);

    // ---- Footer ----
    void editLayouts();
    void checkForUpdates();
    void openSettings();
    void quit();

    // An action's key combination in running text ("Ctrl+Alt+2"), and as
    // the names of its keys; empty when it has none.
    QString shortcutText(const ShortcutAction& action) const;
    QStringList shortcutKeys(const ShortcutAction& action) const;
    // Whether another program holds the action's key, so that it does nothing.
    bool shortcutTaken(const ShortcutAction& action) const;
    // "Today 18:02" or "Mon 09:15", by the local calendar.
    static QString savedTime(const QDateTime& savedAt, const QDateTime& now);
    // A minute of the day as a time of day.
    static QString minuteText(int minute);
    static QString timeText(const QDateTime& when);

signals:
    // Something shown changed.
    void changed();
    // Only the hovered layout changed.
    void hoverChanged();

private:
    void computeSuggestion();
    QDateTime now() const;

    MenuBarServices s_;
    QPointer<AppState> state_;
    WindowManager& windows_;
    std::optional<Display> display_;
    std::vector<WindowSnapshot> snapshot_;
    QList<SavedWorkspace> saved_;
    std::optional<LayoutKind> hovered_;
    std::optional<Suggestion> suggestion_;
};

} // namespace tavrin
