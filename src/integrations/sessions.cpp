#include "integrations/sessions.h"

#include "integrations/browserurls.h"
#include "integrations/integrations.h"
#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/propertylistfiles.h"
#include "platform/timer.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/screencapture.h"
#include "workspaces/shortcutparameters.h"

#include <QUrl>
#include <algorithm>

namespace tavrin {

struct Sessions::Capture {
    std::vector<AXWindow> windows;
    QString name;
    LayoutKind layout = LayoutKind::focusCentre;
    QStringList apps;
    QStringList leftOut; // the applications of the windows beyond the eighth
    // What the save this one replaces held: a window read empty keeps it.
    QList<SavedItem> earlier;
};

namespace {
Defaults* defaults() { return Platform::current().defaults; }

// A switch that counts as on when missing or not a Bool.
bool switchOnUnlessFalse(const Defaults* defaults, const QString& key)
{
    const auto value = defaults ? defaults->value(key) : std::nullopt;
    return !value || value->typeId() != QMetaType::Bool || value->toBool();
}

QStringList appNames(const std::vector<AXWindow>& windows)
{
    QStringList apps;
    for (const AXWindow& w : windows)
        apps.append(ScreenCapture::appName(w.app));
    return apps;
}

// The last path component of a file address without its extension (a name
// that only begins with a dot has none).
QString fileStem(const QUrl& url)
{
    QString path = url.toLocalFile();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return name;
}

// The name of `active` when it was arranged on `display` and the user saved
// no workspace of that name.
std::optional<QString> activeName(const std::optional<ActiveWorkspace>& active, const Display& display)
{
    if (!active || active->displayID != display.id)
        return std::nullopt;
    const QList<SavedWorkspace> saved = SavedWorkspaceStore::load();
    const bool savedByUser = std::any_of(saved.cbegin(), saved.cend(), [&](const SavedWorkspace& w) {
        return !w.isAutomatic() && w.name == active->name;
    });
    return savedByUser ? std::nullopt : std::optional<QString>(active->name);
}
} // namespace

Sessions::Sessions(WindowManager& windows, const Platform& platform, const ActiveWorkspaceHolder& active,
                   QObject* parent)
    : QObject(parent),
      windows_(windows),
      platform_(platform),
      active_(active)
{}

Sessions::~Sessions()
{
    for (const auto& connection : triggers_)
        disconnect(connection);
}

// ---- Automatic session saves ----

void Sessions::start()
{
    if (isStarted() || !platform_.workspace || !platform_.clock)
        return;
    Workspace* workspace = platform_.workspace;
    const auto withTabs = [this] { save(true); };
    triggers_.push_back(connect(workspace, &Workspace::willSleep, this, withTabs));
    triggers_.push_back(connect(workspace, &Workspace::screensDidSleep, this, withTabs));
    triggers_.push_back(connect(workspace, &Workspace::sessionDidResignActive, this, withTabs));
    // The process ends right after: this save reads no tabs and waits for nothing.
    triggers_.push_back(connect(workspace, &Workspace::willTerminate, this, [this] { save(false); }));
    timer_ = new Timer(*platform_.clock, this);
    connect(timer_, &Timer::timeout, this, withTabs);
    timer_->startRepeating(kSaveInterval);
}

bool Sessions::autoSave() const { return switchOnUnlessFalse(platform_.defaults, kAutoSaveKey); }

void Sessions::save(bool withTabs)
{
    if (!autoSave() || saving_)
        return;
    Accessibility* accessibility = platform_.accessibility;
    if (!accessibility || !accessibility->isTrusted())
        return;
    std::optional<Capture> capture = prepare();
    if (!capture)
        return;
    if (!Integrations::scriptsApplications()) {
        // Reading files asks no one: the quit save reads them too, at once.
        const bool browsers = switchOnUnlessFalse(platform_.defaults, kSendBrowserURLsKey);
        if (withTabs)
            saveWithTabs(std::move(*capture), browsers);
        else
            finish(*capture, Integrations::captureWindow(capture->windows, browsers, capture->earlier));
        return;
    }
    if (withTabs && readsTabs(capture->apps)) {
        saveWithTabs(std::move(*capture));
        return;
    }
    finish(*capture, Integrations::captureWindow(capture->windows, true, capture->earlier));
}

void Sessions::finish(const Capture& capture, const QList<SavedItem>& items) const
{
    makeSession(capture.apps, capture.name, capture.layout, items);
    // Nobody waits for this save's answer: the windows it could not keep
    // are named where other partial results are.
    if (!capture.leftOut.isEmpty() && platform_.workspace)
        platform_.workspace->log(QStringLiteral("Tavrin: the session \u201c%1\u201d left out %2 (at most %3 windows "
                                                "are saved).")
                                     .arg(capture.name, capture.leftOut.join(QStringLiteral(", ")))
                                     .arg(kMaxWindows));
}

std::optional<Sessions::Capture> Sessions::prepare() const
{
    const std::optional<Display> display = windows_.focusedContext();
    if (!display)
        return std::nullopt;
    Capture capture;
    std::vector<AXWindow> leftOut;
    capture.windows = sessionWindows(*display, &leftOut);
    capture.leftOut = appNames(leftOut);
    if (capture.windows.size() < size_t(kMinWindows))
        return std::nullopt;
    capture.layout = windows_.usualLayout(*display);
    capture.name = sessionName(capture.windows, *display);
    capture.apps = appNames(capture.windows);
    const auto replaced =
        SavedWorkspaceStore::replacedBy(unclaimedName(capture.name, SavedWorkspaceStore::load()), capture.apps);
    if (replaced && replaced->items)
        capture.earlier = *replaced->items;
    return capture;
}

bool Sessions::readsTabs(const QStringList& apps) const
{
    return switchOnUnlessFalse(platform_.defaults, kSendBrowserURLsKey)
           && std::any_of(apps.cbegin(), apps.cend(), [](const QString& app) { return BrowserURLs::isSupported(app); });
}

void Sessions::saveWithTabs(Capture capture, bool browsers)
{
    saving_ = true;
    // The capture has a time limit, so this ends, and with it the block on
    // further saves.
    task_.start([this, capture = std::move(capture), browsers](CancelToken cancel) -> QCoro::Task<> {
        // The capture may wait for browsers to write what their windows
        // show; a save cancelled meanwhile ends that wait, and saves nothing.
        auto reading =
            Integrations::capture(capture.windows, browsers, WindowContent::SaveContext{capture.earlier, cancel});
        const QList<SavedItem> items = co_await std::move(reading);
        if (cancel.isCancelled())
            co_return;
        finish(capture, items);
        saving_ = false;
    });
}

std::vector<AXWindow> Sessions::sessionWindows(const Display& display, std::vector<AXWindow>* leftOut)
{
    AXActionScope scope;
    const std::vector<Display> displays = Display::all();
    std::vector<AXWindow> kept;
    for (AXWindow& window : AXWindow::onScreenInZOrder()) {
        const std::optional<Rect> frame = window.frame();
        if (!frame)
            continue;
        const std::optional<Display> holder = Display::containing(*frame, displays);
        if (holder && holder->id == display.id)
            kept.push_back(std::move(window));
    }
    if (const std::optional<AXWindow> focused = AXWindow::focused()) {
        const auto it = std::find(kept.begin(), kept.end(), *focused);
        if (it != kept.end())
            std::rotate(kept.begin(), it, it + 1);
    }
    if (kept.size() > size_t(kMaxWindows)) {
        if (leftOut)
            leftOut->assign(kept.begin() + kMaxWindows, kept.end());
        kept.resize(kMaxWindows);
    }
    return kept;
}

QString Sessions::sessionName(const std::vector<AXWindow>& windows, const Display& display) const
{
    if (const auto active = activeName(active_.get(), display))
        return *active;
    if (!windows.empty()) {
        if (const auto document = windows.front().documentURL()) {
            const QString stem = fileStem(*document);
            if (!stem.isEmpty())
                return QStringLiteral("%1 + %2").arg(stem).arg(windows.size() - 1);
        }
    }
    const QStringList apps = appNames(windows);
    QStringList taken;
    for (const QString& app : apps) {
        if (!taken.contains(app))
            taken.append(app);
        if (taken.size() == 2)
            break;
    }
    const qsizetype others =
        std::count_if(apps.cbegin(), apps.cend(), [&](const QString& app) { return !taken.contains(app); });
    QString name = taken.join(QStringLiteral(", "));
    if (others > 0)
        name += QStringLiteral(" + %1").arg(others);
    return name;
}

QString Sessions::unclaimedName(const QString& name, const QList<SavedWorkspace>& saved)
{
    // The command bar's save replaces a name whatever its case.
    const auto claimed = [&](const QString& candidate) {
        return std::any_of(saved.cbegin(), saved.cend(), [&](const SavedWorkspace& w) {
            return !w.isAutomatic() && w.name.compare(candidate, Qt::CaseInsensitive) == 0;
        });
    };
    QString candidate = name;
    for (int n = 1; claimed(candidate); ++n)
        candidate = n == 1 ? name + QStringLiteral(" (automatic)") : name + QStringLiteral(" (automatic %1)").arg(n);
    return candidate;
}

void Sessions::makeSession(const QStringList& apps, const QString& name, LayoutKind layout,
                           const QList<SavedItem>& items) const
{
    SavedWorkspace session;
    // Named now: the user may have saved a workspace of this name since the
    // save began.
    session.name = unclaimedName(name, SavedWorkspaceStore::load());
    session.request = QStringLiteral("Resume ") + session.name;
    session.layout = layout;
    session.apps = apps;
    session.savedAt = platform_.clock->nowDate();
    session.items = items;
    session.automatic = true;
    SavedWorkspaceStore::update(session);
}

// ---- Moving the settings to another computer ----

const QStringList& Sessions::portablePrefixes()
{
    static const QStringList prefixes{
        QStringLiteral("learning."), QStringLiteral("habits."),      QStringLiteral("savedWorkspaces"),
        QStringLiteral("layout."),   QStringLiteral("autoArrange."), QStringLiteral("sessions."),
        QStringLiteral("focus."),    QStringLiteral("privacy."),     QStringLiteral("integrations."),
    };
    return prefixes;
}

bool Sessions::isPortable(const QString& key)
{
    const QStringList& prefixes = portablePrefixes();
    return std::any_of(prefixes.cbegin(), prefixes.cend(),
                       [&](const QString& prefix) { return key.startsWith(prefix, Qt::CaseSensitive); });
}

QStringList Sessions::exportedKeys()
{
    if (!defaults())
        return {};
    QStringList keys = defaults()->keys();
    keys.removeIf([](const QString& key) { return !isPortable(key); });
    return keys;
}

QVariantMap Sessions::exportContent()
{
    QVariantMap content{{kExportMarker, qint64(1)}};
    for (const QString& key : exportedKeys())
        if (const auto value = defaults()->value(key))
            content.insert(key, *value);
    return content;
}

QString Sessions::exportLearnings(QString* savedTo)
{
    const Platform& platform = Platform::current();
    if (!platform.fileDialogs || !platform.propertyLists)
        return tr("there is no way to choose a file here");
    const std::optional<QString> path = platform.fileDialogs->chooseSaveFile(kExportFileName, kExportFileType);
    if (!path)
        return {};
    QString problem = platform.propertyLists->writeXml(*path, exportContent());
    if (problem.isEmpty() && savedTo)
        *savedTo = *path;
    return problem;
}

QString Sessions::exportProblem(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return tr("it isn't a dictionary");
    const QVariantMap content = value.toMap();
    if (content.isEmpty())
        return tr("it is empty");
    if (!content.contains(kExportMarker))
        return tr("it has no \"%1\" entry").arg(kExportMarker);
    return {};
}

void Sessions::applyImport(const QVariantMap& content, LearnedState& learned)
{
    QVariantMap portable;
    for (auto it = content.cbegin(); it != content.cend(); ++it)
        if (isPortable(it.key()))
            portable.insert(it.key(), it.value());
    // Removal and writing are one change, so a portable key the file lacks
    // is gone afterwards and the settings never hold half an import.
    defaults()->replace(exportedKeys(), portable);
    learned.readAgain();
    ShortcutParameters::refresh();
}

bool Sessions::importLearnings(LearnedState& learned, bool* imported)
{
    if (imported)
        *imported = false;
    const Platform& platform = Platform::current();
    if (!platform.fileDialogs || !platform.propertyLists || !platform.defaults)
        return true;
    const std::optional<QString> path = platform.fileDialogs->chooseOpenFile(kExportFileType);
    if (!path)
        return true;
    // The whole file is read and checked before anything changes.
    const PropertyListFiles::Read file = platform.propertyLists->read(*path);
    const QString problem = file.value ? exportProblem(*file.value) : file.why;
    if (!problem.isEmpty()) {
        if (platform.workspace)
            platform.workspace->log(QStringLiteral("Tavrin: nothing imported from %1: %2").arg(*path, problem));
        return false;
    }
    applyImport(file.value->toMap(), learned);
    if (imported)
        *imported = true;
    return true;
}

} // namespace tavrin
