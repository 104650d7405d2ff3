#pragma once

#include "integrations/integration.h"
#include "platform/automation.h"
#include "windows/axwindow.h"
#include "workspaces/saveditem.h"
#include "workspaces/windowcontent.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

// The supported applications and how what their windows show is read and
// brought back: the table, the user's switch per application
// ("integrations.off"), the consent to ask an application, and the reads
// that turn windows into saved items.
//
// The table has two faces: on a desktop that scripts applications (the
// simulated one stands in for it) every row as it is there; on Linux the rows
// of applications that exist there, each with its Linux names and how it is
// read there. The reads ask the platform's Automation service, one request
// at a time in the whole process; requests and helper programs run on worker
// threads under a time limit, past which they count as no answer. The
// settings and Accessibility are read on the main thread.
namespace tavrin::Integrations {

enum class Permission { allowed, denied, notAsked, notRunning, notNeeded };

// What one application's read found for one of its windows.
struct Read {
    QString title; // the window title it matched or reported
    QString url;   // the address to keep
    std::optional<QStringList> tabs;
    std::optional<int> front = std::nullopt; // index into `tabs` of `url`, when it is among them
    // The window it was read from, where the application's answer says
    // (then it is that window's read alone, whatever its title).
    AXElement window = {};
    bool operator==(const Read&) const = default;
};

// One window as the reads see it: its application's name ("Window" without
// one), its title (empty when unreadable), its document, when that is a
// file address, and its element.
struct WindowEntry {
    QString app;
    QString title;
    std::optional<QString> document;
    AXElement element = {};
};

inline const QString kOffKey = QStringLiteral("integrations.off");
// A request or helper program that has not answered by then is given up.
inline constexpr double kScriptTimeLimit = 10;
inline constexpr double kProcessTimeLimit = 10;
// A capture whose reads have not ended by then goes on without them.
inline constexpr double kCaptureTimeLimit = 12;
// How much longer than a browser says it takes to write a change a capture
// waits for the write, and how often it looks.
inline constexpr double kWriteMargin = 3;
inline constexpr double kWritePoll = 0.25;
// A browser window keeps at most this many tab addresses.
inline constexpr int kMaxTabs = 40;

// ---- The table ----

// The supported applications of this desktop, in the pane's order.
const std::vector<Integration>& all();
// The row named so by its `app`, its `processName` or (on Linux) one of its
// Linux names; null for any other name.
const Integration* byName(const QString& name);
// The shells a terminal's process listing is searched for.
const QStringList& shells();
// The folder of a Visual Studio Code family editor under the application
// support folder.
QString editorFolder(const QString& app);
// Whether applications are scripted on this desktop (else the Linux face of
// the table applies).
bool scriptsApplications();

// ---- The user's switch ----

// Whether the user switched the application's integration off: its row's
// `app` (when `name` finds a row) or `name` itself is listed under
// "integrations.off" (exact comparison; a missing or malformed list lists
// nothing). Main thread.
bool isOff(const QString& name);
// Adds `name` (as it is) to the list, or removes it. Main thread.
void setOff(const QString& name, bool off);
// The names listed under "integrations.off". Main thread.
QSet<QString> offNames();
// isOff against a list read before.
bool isOff(const QString& name, const QSet<QString>& offNames);

// The rows, in table order, whose names name an application installed here
// or running. Read anew on every call.
std::vector<Integration> installed();

// ---- Consent and requests ----

// Whether this process may ask the row's application: `notNeeded` at once
// for a row read without asking it, or where the desktop has no consent;
// `notRunning` when there is no bundle identifier to ask about. With `ask`,
// the system may ask the user. Any thread.
Permission permission(const Integration& row, bool ask);
// The row's application as the Automation service is told about it.
AutomationTarget target(const Integration& row);
// The one turn to ask an application: a second caller waits for it.
[[nodiscard]] std::unique_lock<std::mutex> requestTurn();
// Runs a helper program within kProcessTimeLimit: its standard output as
// UTF-8 text, or none when it cannot start, is killed at the limit, or
// writes what is not UTF-8.
std::optional<QString> runProcess(const QString& path, const QStringList& arguments);

// ---- Restoring ----

// Opens a new window of browser `app` holding the first 40 of `urls` in
// their order, `urls[front]` in front (the first when `front` is not among
// those kept). True when the browser did; false for no address, an
// application that is not a row, or no answer. Blocks the calling thread.
bool restoreTabs(const QString& app, const QStringList& urls, int front = 0);
// How many windows browser `app` brings back by itself when it next starts
// (see Automation::windowsRestoredOnStart); 0 for an application that is not
// a browser row. Reads files: any thread.
int windowsRestoredOnStart(const QString& app);
// The text that asks a scripted browser for that window.
QString restoreScript(const QString& app, const QStringList& urls, int front = 0);

// ---- Reading what windows show ----

// One item per window, in order: its application and, where its integration
// is on and (for asked applications) allowed, the address and tabs it shows,
// else its document. Reads the windows on the main thread, everything else
// on a worker; finishes on the main thread. Reads that overrun
// kCaptureTimeLimit are left to finish alone: the items are then the
// windows' documents. Browsers are read only with `browsers`. Does not fail.
//
// A browser window that the browser's answer does not list (a private
// window, or one its file does not hold yet) gets neither title nor tabs.
// For a save (`save` given): where a browser's file is behind its windows
// (it lists not every one that is not marked private), the capture waits
// for the browser's next write after the capture began, up to the time
// within which that browser writes a change and kWriteMargin, or until
// `save->cancel`; then it reads again. A window still not listed by a file
// written since is taken for private; any other window whose read found
// nothing takes what `save->earlier` held for it (EarlierItems).
QCoro::Task<QList<SavedItem>> capture(std::vector<AXWindow> windows, bool browsers = true,
                                      std::optional<WindowContent::SaveContext> save = std::nullopt);
// The same without asking applications, on the calling thread (main). On
// Linux nothing is asked: what windows show is read from files and /proc,
// so these reads run here too (browsers only with `browsers`). It waits for
// nothing; a window whose read found nothing takes what `earlier` held
// for it.
QList<SavedItem> captureWindow(const std::vector<AXWindow>& windows, bool browsers = true,
                               const QList<SavedItem>& earlier = {});
// The entries of the windows. Main thread.
QList<WindowEntry> entries(const std::vector<AXWindow>& windows);
// The items for the entries; asked applications are read only with
// `automation` (where applications are scripted), browsers only with
// `browsers`. `offNames` as offNames() gave them.
QList<SavedItem> readAll(const QList<WindowEntry>& entries, bool automation, const QSet<QString>& offNames,
                         bool browsers = true);
// The reads of one application whose windows carry `titles`, by its row.
QList<Read> read(const Integration& row, const QStringList& titles);

// The reads of each kind (see read()); a browser's none when it did not
// answer.
std::optional<QList<Read>> readBrowser(const Integration& row);
QList<Read> readEditor(const QString& app, const QStringList& titles);
QList<Read> readJetBrains(const QStringList& titles);
QList<Read> readTerminal(const Integration& row);
QList<Read> readITerm(const Integration& row);
QList<Read> readFinder(const Integration& row);
QList<Read> readObsidian(const QStringList& titles);

// Each title matched to the folder (a file address) whose name it shows,
// the longest name winning; titles without one have no read.
QList<Read> matchFolders(const QSet<QString>& folders, const QStringList& titles);
// The folder the last shell on a terminal device works in.
std::optional<QString> folderForTTY(const QString& device);
// The existing folder a terminal's title shows: at its start ("~/src/app —
// zsh"), after a prompt's "user@host:" ("sam@box: ~/src/app") or before a
// " : " ("~/src/app : bash").
std::optional<QString> pathFromTitle(const QString& title);

} // namespace tavrin::Integrations
