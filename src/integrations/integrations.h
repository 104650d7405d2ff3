#pragma once

#include "integrations/integration.h"
#include "platform/automation.h"
#include "windows/axwindow.h"
#include "workspaces/saveditem.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

namespace tavrin {

// The supported applications and how what their windows show is read and
// brought back: the table, the user's switch per application
// ("integrations.off"), the consent to script an application, the one script
// runner, and the reads that turn windows into saved items.
//
// Scripts and helper programs run on worker threads and block them: every
// script run and every helper program has a time limit, past which it counts
// as no answer. The settings and Accessibility are read on the main thread.
class Integrations {
public:
    enum class Permission { allowed, denied, notAsked, notRunning, notNeeded };

    // What one application's read found for one of its windows.
    struct Read {
        QString title; // the window title it matched or reported
        QString url;   // the address to keep
        std::optional<QStringList> tabs;
        bool operator==(const Read&) const = default;
    };

    // One window as the reads see it: its application's name ("Window"
    // without one), its title (empty when unreadable) and its document, when
    // that is a file address.
    struct WindowEntry {
        QString app;
        QString title;
        std::optional<QString> document;
    };

    static inline const QString kOffKey = QStringLiteral("integrations.off");
    // A script or helper program that has not answered by then is given up.
    static constexpr double kScriptTimeLimit = 10;
    static constexpr double kProcessTimeLimit = 10;
    // A browser window keeps at most this many tab addresses.
    static constexpr int kMaxTabs = 40;

    // ---- The table ----

    // The 46 supported applications, in the pane's order.
    static const std::vector<Integration>& all();
    // The row named so by its `app` or its `processName`; null for any other
    // name.
    static const Integration* byName(const QString& name);
    // The shells a terminal's process listing is searched for.
    static const QStringList& shells();
    // The folder of a Visual Studio Code family editor under the application
    // support folder.
    static QString editorFolder(const QString& app);

    // ---- The user's switch ----

    // Whether the user switched the application's integration off: its
    // row's `app` (when `name` finds a row) or `name` itself is listed under
    // "integrations.off" (exact comparison; a missing or malformed list
    // lists nothing). Main thread.
    static bool isOff(const QString& name);
    // Adds `name` (as it is) to the list, or removes it. Main thread.
    static void setOff(const QString& name, bool off);
    // The names listed under "integrations.off". Main thread.
    static QSet<QString> offNames();
    // isOff against a list read before.
    static bool isOff(const QString& name, const QSet<QString>& offNames);

    // The rows, in table order, whose `app` or `processName` names an
    // application installed here or running. Read anew on every call.
    static std::vector<Integration> installed();

    // ---- Consent and runners ----

    // Whether this process may script the row's application: `notNeeded` at
    // once for a row read without scripting; `notRunning` when there is no
    // bundle identifier to ask about. With `ask`, the system may ask the
    // user. Any thread.
    static Permission permission(const Integration& row, bool ask);
    // Runs a script, one at a time in the whole process (a second caller
    // waits), within kScriptTimeLimit; its answer, or none when it fails.
    static std::optional<ScriptValue> runAppleScript(const QString& source);
    // Runs a helper program within kProcessTimeLimit: its standard output as
    // UTF-8 text, or none when it cannot start, is killed at the limit, or
    // writes what is not UTF-8.
    static std::optional<QString> runProcess(const QString& path, const QStringList& arguments);

    // ---- Restoring ----

    // Opens a new window of browser `app` holding the first 40 of `urls`,
    // the first in front. True when the script ran and answered; false for
    // no address or a failed script. Blocks the calling thread.
    static bool restoreTabs(const QString& app, const QStringList& urls);

    // ---- Reading what windows show ----

    // One item per window, in order: its application and, where its
    // integration is on and (for scripted applications) allowed, the
    // address and tabs it shows, else its document. Reads the windows on
    // the main thread, everything else on a worker; finishes on the main
    // thread. Does not fail.
    static QCoro::Task<QList<SavedItem>> capture(std::vector<AXWindow> windows);
    // The same without scripting, on the calling thread (main).
    static QList<SavedItem> captureWindow(const std::vector<AXWindow>& windows);
    // The entries of the windows. Main thread.
    static QList<WindowEntry> entries(const std::vector<AXWindow>& windows);
    // The items for the entries; scripted applications are read only with
    // `automation`. `offNames` as offNames() gave them.
    static QList<SavedItem> readAll(const QList<WindowEntry>& entries, bool automation, const QSet<QString>& offNames);
    // The reads of one application whose windows carry `titles`, by its row.
    static QList<Read> read(const Integration& row, const QStringList& titles);

    // The reads of each kind (see read()).
    static QList<Read> readBrowser(const QString& app);
    static QList<Read> readEditor(const QString& app, const QStringList& titles);
    static QList<Read> readJetBrains(const QStringList& titles);
    static QList<Read> readTerminal();
    static QList<Read> readITerm();
    static QList<Read> readFinder();
    static QList<Read> readObsidian(const QStringList& titles);

    // Each title matched to the folder (a file address) whose name it shows,
    // the longest name winning; titles without one have no read.
    static QList<Read> matchFolders(const QSet<QString>& folders, const QStringList& titles);
    // The folder the last shell on a terminal device works in.
    static std::optional<QString> folderForTTY(const QString& device);
    // The existing folder a terminal's title starts with ("~/src/app — zsh").
    static std::optional<QString> pathFromTitle(const QString& title);
};

} // namespace tavrin
