#include "modes/sharesafe.h"

#include "modes/appidentities.h"

#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/linuxwords.h"
#include "platform/platform.h"
#include "platform/runmarks.h"
#include "platform/timer.h"
#include "platform/workspace.h"
#include "windows/axwindow.h"

#include <algorithm>
#include <memory>

namespace tavrin {

namespace {
const QString kSwitchKey = QStringLiteral("mode.shareSafe");
const QString kPrivateAppsKey = QStringLiteral("privacy.apps");
const QString kAskedKey = QStringLiteral("privacy.asked");
const QString kCoveringMark = QStringLiteral("sharesafe-covering");

bool trusted(const Platform& platform)
{
    Accessibility* accessibility = platform.accessibility;
    return accessibility && accessibility->isTrusted();
}

void store(Defaults* defaults, const QString& key, const QStringList& names)
{
    if (defaults)
        defaults->setValue(key, QVariant(names).toList());
}
} // namespace

const QString ShareSafe::kAddedByHideKey = QStringLiteral("privacy.addedByHide");

ShareSafe::ShareSafe(PrivacyPrompt& prompt, const Platform& platform, QObject* parent)
    : QObject(parent),
      prompt_(prompt),
      platform_(platform),
      idle_(platform)
{
    const Defaults* d = platform_.defaults;
    const auto stored = d ? d->value(kSwitchKey) : std::nullopt;
    enabled_ = stored && stored->typeId() == QMetaType::Bool ? stored->toBool() : true;
}

ShareSafe::~ShareSafe()
{
    delete detectTimer_.data();
    disconnect(quitObserver_);
}

Defaults* ShareSafe::defaults() const { return platform_.defaults; }

std::optional<QStringList> ShareSafe::storedNames(const QString& key) const
{
    const Defaults* d = platform_.defaults;
    const auto value = d ? d->value(key) : std::nullopt;
    if (value && value->typeId() == QMetaType::QStringList)
        return value->toStringList();
    if (!value || value->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList names;
    for (const QVariant& item : value->toList()) {
        if (item.typeId() != QMetaType::QString)
            return std::nullopt;
        names << item.toString();
    }
    return names;
}

void ShareSafe::appendName(const QString& key, const QString& name)
{
    QStringList names = storedNames(key).value_or(QStringList());
    names << name;
    store(platform_.defaults, key, names);
}

const QStringList& ShareSafe::macPrivateApps()
{
    static const QStringList apps{
        QStringLiteral("Messages"),        QStringLiteral("Mail"),        QStringLiteral("Passwords"),
        QStringLiteral("1Password"),       QStringLiteral("1Password 7"), QStringLiteral("Bitwarden"),
        QStringLiteral("Keychain Access"), QStringLiteral("WhatsApp"),    QStringLiteral("Signal"),
        QStringLiteral("Telegram"),        QStringLiteral("Banking")};
    return apps;
}

const QStringList& ShareSafe::defaultPrivateApps()
{
    // Telegram's Linux client names its desktop entry so.
    static const QStringList apps = LinuxWords::programs(macPrivateApps(), LinuxWords::kPrivateApps)
                                    << QStringLiteral("Telegram Desktop");
    return apps;
}

bool ShareSafe::isBuiltIn(const QString& name)
{
    return defaultPrivateApps().contains(name) || macPrivateApps().contains(name);
}

const QHash<QString, QStringList>& ShareSafe::shareKeywords()
{
    static const QHash<QString, QStringList> keywords{
        {MeetingMode::kCallClient, {"share toolbar", "sharing", "stop share"}},
        {"Microsoft Teams", {"sharing control bar", "you're presenting", "presenting"}},
        {"Slack", {"screen share", "sharing your screen"}},
        {"Webex", {"sharing", "share control"}},
        {"Google Chrome", {"is sharing your screen", "is sharing a window", "is sharing this tab"}},
        {"Arc", {"is sharing your screen", "is sharing a window"}},
        {"Brave Browser", {"is sharing your screen", "is sharing a window"}},
        {"Microsoft Edge", {"is sharing your screen", "is sharing a window"}},
        {"Safari", {"sharing your screen"}},
        {"FaceTime", {"sharing my screen", "screen sharing"}},
        {"Discord", {"screen share", "you are streaming"}},
    };
    return keywords;
}

const QSet<QString>& ShareSafe::callApps()
{
    static const QSet<QString> apps{
        MeetingMode::kCallClient, "Microsoft Teams", "Slack", "Webex", "FaceTime", "Discord"};
    return apps;
}

const QStringList& ShareSafe::holdWords()
{
    static const QStringList words{"meeting", "webinar", "huddle", "call"};
    return words;
}

Veils& ShareSafe::veils()
{
    if (Veils* registered = veils_.get())
        return *registered;
    return idle_;
}

// ---- Switches ----

void ShareSafe::setActive(bool on)
{
    if (active_ == on)
        return;
    active_ = on;
    coveringNow_.store(on, std::memory_order_release);
    setNotice(QString());
    markCovering(on);
    emit activeChanged(on);
    veils().refresh();
    if (veils().isRunning())
        veils().update();
}

void ShareSafe::setSharingDetected(bool on)
{
    if (sharingDetected_ == on)
        return;
    sharingDetected_ = on;
    emit sharingDetectedChanged(on);
}

void ShareSafe::markCovering(bool on)
{
    RunMarks* marks = platform_.runMarks;
    const QString problem = !marks ? QString() : on ? marks->raise(kCoveringMark) : marks->lower(kCoveringMark);
    if (problem.isEmpty())
        return;
    if (Workspace* workspace = platform_.workspace)
        workspace->log(
            (on ? QStringLiteral("Share-safe: a start after a crash will not know that covering was on: %1")
                : QStringLiteral("Share-safe: a start after a crash will cover although covering is off: %1"))
                .arg(problem));
}

void ShareSafe::coverAgainIfLeftOn()
{
    RunMarks* marks = platform_.runMarks;
    if (!marks || !marks->leftStanding(kCoveringMark))
        return;
    if (Workspace* workspace = platform_.workspace)
        workspace->log(QStringLiteral("Share-safe was on when Tavrin last stopped without quitting; covering again."));
    manual_ = true;
    setActive(true);
    setNotice(tr("Share-safe was on when Tavrin stopped; it is on again"));
}

void ShareSafe::setNotice(const QString& text)
{
    if (notice_ == text)
        return;
    notice_ = text;
    emit noticeChanged(text);
}

void ShareSafe::setEnabled(bool on)
{
    const bool changed = enabled_ != on;
    enabled_ = on;
    if (changed)
        emit enabledChanged(on);
    if (Defaults* d = platform_.defaults)
        d->setValue(kSwitchKey, on);
    if (!enabled_ && !manual_ && active_)
        setActive(false);
}

void ShareSafe::toggleNow()
{
    if (!active_ && handPids_.isEmpty()) {
        manual_ = true;
        setActive(true);
        return;
    }
    handNames_.clear();
    handPids_.clear();
    publishHandNames();
    manual_ = false;
    if (active_)
        setActive(false);
    else
        veils().refresh();
    if (veils().isRunning())
        veils().update();
}

void ShareSafe::setManual(bool on)
{
    manual_ = on;
    setActive(on);
}

// ---- Private applications ----

const QSet<QString>& ShareSafe::privateNames() const
{
    if (!privateNames_) {
        const auto stored = storedNames(kPrivateAppsKey);
        const QStringList names = stored ? *stored : defaultPrivateApps();
        privateNames_ = QSet<QString>(names.begin(), names.end());
    }
    return *privateNames_;
}

void ShareSafe::setPrivateApps(const QSet<QString>& names)
{
    privateNames_ = names;
    QStringList sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end());
    store(platform_.defaults, kPrivateAppsKey, sorted);
    emit privateAppsChanged();
}

// ---- Sharing checks ----

void ShareSafe::startDetecting()
{
    if (detectTimer_)
        return;
    detectTimer_ = new Timer(*platform_.clock);
    connect(detectTimer_, &Timer::timeout, this, &ShareSafe::tick);
    detectTimer_->startRepeating(kCheckInterval);
    if (Workspace* workspace = platform_.workspace) {
        quitObserver_ = connect(workspace, &Workspace::applicationTerminated, this,
                                [this](const RunningApp& app) { appTerminated(app.pid, app.localizedName); });
        // Quitting in order: the next start is an ordinary one, covering off.
        connect(workspace, &Workspace::willTerminate, this, [this] {
            if (RunMarks* marks = platform_.runMarks)
                marks->lower(kCoveringMark);
        });
    }
    coverAgainIfLeftOn();
}

void ShareSafe::tick()
{
    if (!handPids_.isEmpty())
        pruneQuitHandApps();
    if (!trusted(platform_) || detecting_)
        return;
    startCheck();
}

void ShareSafe::pruneQuitHandApps()
{
    Workspace* workspace = platform_.workspace;
    if (!workspace)
        return;
    QSet<int> running;
    for (const RunningApp& app : workspace->runningApplications())
        running.insert(app.pid);
    const QSet<int> gone = QSet<int>(handPids_).subtract(running);
    if (gone.isEmpty())
        return;
    handPids_.subtract(gone);
    // A process whose name cannot be had stays veiled but names nothing.
    handNames_.clear();
    for (const QString& name : veils().appNames(handPids_))
        if (!name.isEmpty())
            handNames_.insert(name);
    publishHandNames();
    veils().refresh();
}

void ShareSafe::startCheck()
{
    // The service is taken here, on the main thread: the pool task never
    // reads the installed services, which quitting takes away.
    Accessibility* accessibility = platform_.accessibility;
    if (!accessibility)
        return;
    std::vector<RunningApp> apps;
    if (Workspace* workspace = platform_.workspace)
        for (const RunningApp& app : workspace->runningApplications())
            if (!AppIdentities::listedAs(app, shareKeywords().keys()).isEmpty())
                apps.push_back(app);
    // With no call or browser running there are no titles to read: the
    // check is made here rather than waking a pool thread, and the main
    // thread after it, for nothing.
    if (apps.empty())
        return applyCheck({});
    detecting_ = true;
    auto reads = std::make_shared<std::vector<TitleRead>>();
    platform_.clock->runInBackground(
        [accessibility, apps = std::move(apps), reads] { *reads = readTitles(*accessibility, apps); }, this,
        [this, reads] {
            detecting_ = false;
            applyCheck(*reads);
        });
}

std::vector<ShareSafe::TitleRead> ShareSafe::readTitles(Accessibility& accessibility,
                                                        const std::vector<RunningApp>& apps)
{
    std::vector<TitleRead> reads;
    reads.reserve(apps.size());
    for (const RunningApp& app : apps)
        reads.push_back({app, AXWindow::titles(accessibility, app)});
    return reads;
}

void ShareSafe::applyCheck(const std::vector<TitleRead>& reads)
{
    bool unread = false, hit = false;
    QStringList callTitles;
    for (const TitleRead& read : reads) {
        const QString name = AppIdentities::listedAs(read.app, shareKeywords().keys());
        const auto keywords = shareKeywords().constFind(name);
        if (name.isEmpty() || keywords == shareKeywords().cend())
            continue;
        if (!read.titles) {
            unread = true;
            continue;
        }
        if (callApps().contains(name))
            callTitles << *read.titles;
        for (const QString& title : *read.titles) {
            const QString lower = title.toLower();
            if (std::any_of(keywords->begin(), keywords->end(), [&](const QString& k) { return lower.contains(k); })) {
                hit = true;
                break;
            }
        }
    }

    if (hit) {
        clearChecks_ = 0;
        if (sharingDetected_)
            return;
        setSharingDetected(true);
        if (!enabled_)
            return;
        manual_ = false;
        setActive(true);
        return;
    }
    if (unread || !sharingDetected_)
        return;
    if (MeetingMode::micInUse(platform_.microphone) || callGoesOn(callTitles)) {
        clearChecks_ = 0;
        return;
    }
    if (++clearChecks_ < kClearChecksToEnd)
        return;
    clearChecks_ = 0;
    setSharingDetected(false);
    if (enabled_ && !manual_)
        setActive(false);
}

bool ShareSafe::callGoesOn(const QStringList& callTitles) const
{
    return std::any_of(callTitles.begin(), callTitles.end(), [](const QString& title) {
        const QString lower = title.toLower();
        return std::any_of(holdWords().begin(), holdWords().end(), [&](const QString& w) { return lower.contains(w); });
    });
}

void ShareSafe::appTerminated(int pid, const QString& name)
{
    if (!handPids_.remove(pid))
        return;
    if (!name.isEmpty()) {
        bool stillHidden = false;
        if (Workspace* workspace = platform_.workspace)
            for (const RunningApp& app : workspace->runningApplications())
                stillHidden |= handPids_.contains(app.pid) && app.localizedName == name;
        if (!stillHidden)
            handNames_.remove(name);
    }
    publishHandNames();
    veils().refresh();
}

// ---- Hiding by hand ----

void ShareSafe::publishHandNames()
{
    if (hiddenByHand_ == handNames_)
        return;
    hiddenByHand_ = handNames_;
    emit hiddenByHandChanged(hiddenByHand_);
}

void ShareSafe::hideFrontApp()
{
    const auto app = AXWindow::frontmostApp();
    if (!app || app->localizedName.isEmpty())
        return;
    const QString name = app->localizedName;
    if (handPids_.contains(app->pid)) {
        handNames_.remove(name);
        handPids_.remove(app->pid);
    } else {
        handNames_.insert(name);
        handPids_.insert(app->pid);
        if (!privateNames().contains(name) && !storedNames(kAskedKey).value_or(QStringList()).contains(name)) {
            appendName(kAskedKey, name);
            prompt_.show(name, [self = QPointer<ShareSafe>(this), name](bool yes) {
                if (self)
                    self->answer(yes, name);
            });
        }
    }
    publishHandNames();
    veils().refresh();
    if (active_ || veils().isRunning())
        veils().update();
}

void ShareSafe::answer(bool yes, const QString& app)
{
    if (!yes)
        return;
    setPrivateApps(QSet<QString>(privateNames()).unite({app}));
    appendName(kAddedByHideKey, app);
}

} // namespace tavrin
