#include "app/menubar/nowcontent.h"

#include "app/appstate.h"
#include "app/updates/updater.h"
#include "focus/focusroutine.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/linuxwords.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTime>
#include <algorithm>

namespace tavrin {

namespace {
const QString kMeetingKey = QStringLiteral("mode.meeting");
const QString kShareSafeKey = QStringLiteral("mode.shareSafe");

QString count(qsizetype n, const QString& one, const QString& many)
{
    return QString::number(n) + (n == 1 ? one : many);
}

bool modeSwitch(const Defaults* defaults, const QString& key) { return !defaults || defaults->boolValue(key, true); }

void writeSwitch(Defaults* defaults, const QString& key, bool on)
{
    if (defaults)
        defaults->setValue(key, on);
}
} // namespace

NowContent::NowContent(MenuBarServices services, QObject* parent)
    : QObject(parent),
      s_(services),
      state_(&services.state),
      windows_(services.windows)
{
    AppState& state = services.state;
    connect(&state, &AppState::isTrustedChanged, this, &NowContent::refresh);
    connect(&windows_, &WindowManager::lastMessageChanged, this, &NowContent::changed);
    connect(&state, &AppState::enginesChanged, this, [this] {
        computeSuggestion();
        emit changed();
    });
    connect(&s_.shortcuts, &ShortcutStore::unavailableChanged, this, &NowContent::changed);
    if (Defaults* defaults = s_.defaults) {
        connect(defaults, &Defaults::changed, this, [this](const QString& key) {
            if (key == kMeetingKey || key == kShareSafeKey || key.startsWith(QLatin1String("shortcut.")))
                emit changed();
        });
        connect(defaults, &Defaults::problemChanged, this, &NowContent::changed);
    }
}

QDateTime NowContent::now() const { return s_.clock ? s_.clock->nowDate() : QDateTime::currentDateTime(); }

void NowContent::refresh()
{
    display_ = windows_.focusedContext();
    snapshot_ = display_ ? windows_.snapshot(*display_) : std::vector<WindowSnapshot>{};
    saved_ = SavedWorkspaceStore::load();
    computeSuggestion();
    emit changed();
}

void NowContent::refreshWindows()
{
    const auto same = [](const WindowSnapshot& a, const WindowSnapshot& b) {
        // Ids are made afresh at each read.
        return a.identity == b.identity && a.appName == b.appName && a.title == b.title && a.unit == b.unit
               && a.isFocused == b.isFocused;
    };
    std::optional<Display> display = windows_.focusedContext();
    std::vector<WindowSnapshot> snapshot = display ? windows_.snapshot(*display) : std::vector<WindowSnapshot>{};
    if (display == display_ && std::equal(snapshot.begin(), snapshot.end(), snapshot_.begin(), snapshot_.end(), same))
        return;
    display_ = std::move(display);
    snapshot_ = std::move(snapshot);
    emit changed();
}

void NowContent::computeSuggestion()
{
    suggestion_.reset();
    const SuggestionSource* source = state_ ? state_->suggestions() : nullptr;
    if (!source)
        return;
    // Habits come first.
    if (const auto habit = source->habit()) {
        Suggestion s;
        s.kind = Suggestion::Kind::habit;
        s.bold = tr("You usually open %1 around %2").arg(habit->app, minuteText(habit->minute));
        const auto here = activeHere();
        s.rest = (here ? tr(" during %1.").arg(here->name) : QStringLiteral(".")) + tr(" Add it to your layout?");
        s.add = habit->accept;
        s.notNow = habit->dismiss;
        suggestion_ = s;
    } else if (const auto rule = source->placement()) {
        Suggestion s;
        s.kind = Suggestion::Kind::placement;
        s.bold = tr("You usually put %1 %2").arg(rule->app, rule->sentence);
        s.rest =
            tr(" (%1 of %2 times). Make it a rule?").arg(QString::number(rule->times), QString::number(rule->total));
        s.add = rule->keep;
        s.notNow = rule->dismiss;
        suggestion_ = s;
    }
}

std::optional<ActiveWorkspace> NowContent::activeHere() const
{
    const auto& active = s_.active.get();
    if (!active || !display_ || active->displayID != display_->id)
        return std::nullopt;
    return active;
}

QString NowContent::title() const
{
    if (const auto here = activeHere())
        return here->name;
    if (display_)
        return display_->name;
    return tr("No display");
}

QString NowContent::subtitle() const
{
    if (const auto here = activeHere())
        return count(here->windows, tr(" window"), tr(" windows")) + tr(" · since ") + timeText(here->since);
    if (!layoutsEnabled())
        return display_ ? QStringLiteral("%1 × %2").arg(display_->pixelWidth).arg(display_->pixelHeight) : QString();
    return count(qsizetype(snapshot_.size()), tr(" window"), tr(" windows"));
}

double NowContent::previewAspect() const
{
    if (!display_ || display_->area.height <= 0)
        return 1.6;
    return std::max(display_->area.width / display_->area.height, 1.2);
}

double NowContent::previewHeight(double aspect) { return std::min(190.0, std::max(70.0, kPreviewWidth / aspect)); }

QString NowContent::previewOverlay() const
{
    if (!snapshot_.empty())
        return {};
    return layoutsEnabled() ? tr("No windows on this display")
                            : LinuxWords::of(tr("Allow Accessibility to see your windows"));
}

QString NowContent::previewAccessibilityLabel() const
{
    return tr("%1 windows on %2")
        .arg(QString::number(snapshot_.size()), display_ ? display_->name : tr("this display"));
}

bool NowContent::layoutsEnabled() const { return state_ && state_->isTrusted(); }

LayoutKind NowContent::usualKind() const
{
    return display_ ? windows_.usualLayout(*display_) : LayoutKind::focusCentre;
}

double NowContent::glyphAspect() const
{
    if (!display_)
        return 3.2;
    return display_->area.height > 0 ? display_->area.width / display_->area.height : 1.6;
}

void NowContent::enterLayout(LayoutKind kind)
{
    if (hovered_ == kind)
        return;
    hovered_ = kind;
    emit hoverChanged();
}

void NowContent::leaveLayout(LayoutKind kind)
{
    if (hovered_ != kind)
        return;
    hovered_.reset();
    emit hoverChanged();
}

LayoutKind NowContent::captionKind() const { return hovered_.value_or(usualKind()); }

QString NowContent::layoutHelp(LayoutKind kind) const
{
    return tavrin::title(kind) + QStringLiteral(" · ") + shortcutText(ShortcutAction::layout(kind));
}

QString NowContent::layoutAccessibilityLabel(LayoutKind kind) const
{
    return tavrin::title(kind) + QStringLiteral(", ") + shortcutText(ShortcutAction::layout(kind));
}

QString NowContent::message() const { return windows_.lastMessage(); }

QString NowContent::settingsProblem() const
{
    const QString reason = s_.defaults ? s_.defaults->saveProblem() : QString();
    return reason.isEmpty() ? QString() : tr("Settings not saved: %1").arg(reason);
}

void NowContent::apply(LayoutKind kind)
{
    windows_.applyLayout(kind, true);
    // The preview shows the new arrangement a moment later.
    if (Clock* clock = s_.clock)
        clock->singleShot(kRefreshDelay, this, [this] { refresh(); });
}

namespace {
NowContent::ModeRow modeRow(const QString& title, bool active, const QString& activeStatus, const QString& idleStatus,
                            bool enabled)
{
    NowContent::ModeRow row;
    row.title = title;
    row.active = active;
    row.status = row.active ? activeStatus : idleStatus;
    row.enabled = enabled;
    row.accessibilityLabel = title + NowContent::tr(" mode");
    return row;
}

} // namespace

NowContent::ModeRow NowContent::meetingRow() const
{
    const MeetingControl* meeting = state_ ? state_->meeting() : nullptr;
    return modeRow(tr("Meeting"), meeting && meeting->inCall(), tr("on this call"), tr("when a call starts"),
                   modeSwitch(s_.defaults, kMeetingKey));
}

NowContent::ModeRow NowContent::shareSafeRow() const
{
    const ShareSafeControl* shareSafe = state_ ? state_->shareSafe() : nullptr;
    ModeRow row = modeRow(tr("Share-safe"), shareSafe && shareSafe->active(), tr("hiding private apps"),
                          tr("when you share"), modeSwitch(s_.defaults, kShareSafeKey));
    if (shareSafe)
        row.notice = shareSafe->notice();
    return row;
}

void NowContent::setMeetingEnabled(bool on)
{
    if (MeetingControl* meeting = state_ ? state_->meeting() : nullptr)
        meeting->setEnabled(on);
    else
        writeSwitch(s_.defaults, kMeetingKey, on);
}

void NowContent::setShareSafeEnabled(bool on)
{
    if (ShareSafeControl* shareSafe = state_ ? state_->shareSafe() : nullptr)
        shareSafe->setEnabled(on);
    else
        writeSwitch(s_.defaults, kShareSafeKey, on);
}

QStringList NowContent::askShortcut() const
{
    return shortcutKeys(ShortcutAction::of(ShortcutAction::Kind::commandBar));
}

void NowContent::ask()
{
    if (state_)
        state_->commandBar().show();
}

QList<NowContent::SavedRow> NowContent::savedRows() const
{
    QList<SavedRow> rows;
    const QDateTime current = now();
    for (int i = 0; i < saved_.size() && i < kSavedShown; ++i) {
        const SavedWorkspace& w = saved_[i];
        SavedRow row;
        row.position = i + 1;
        row.name = w.name;
        row.detail =
            savedTime(w.savedAt, current) + QStringLiteral(" · ") + count(w.apps.size(), tr(" window"), tr(" windows"));
        row.tiles = w.apps.mid(0, 3);
        row.keys = QStringList{LinuxWords::commandInWindow(), QString::number(i + 1)};
        row.workspace = w;
        rows << row;
    }
    return rows;
}

QString NowContent::emptySavedText()
{
    return tr("Tavrin saves your windows when your computer sleeps, and you can press %1 in the command bar to save "
              "one. They show up here.")
        .arg(LinuxWords::runningText({LinuxWords::commandInWindow(), QStringLiteral("↵")}));
}

void NowContent::openSaved(int position)
{
    if (!state_ || position < 1 || position > std::min<int>(kSavedShown, int(saved_.size())))
        return;
    state_->commandBar().open(saved_[position - 1]);
}

void NowContent::editLayouts()
{
    if (state_)
        state_->showSettings(SettingsPane::layouts);
}

void NowContent::checkForUpdates() { s_.updater.checkForUpdates(); }

void NowContent::openSettings()
{
    if (state_)
        state_->showSettings(SettingsPane::general);
}

void NowContent::quit() { QCoreApplication::quit(); }

QString NowContent::shortcutText(const ShortcutAction& action) const
{
    const auto combo = s_.shortcuts.combo(action);
    return combo ? combo->text() : QString();
}

QStringList NowContent::shortcutKeys(const ShortcutAction& action) const
{
    const auto combo = s_.shortcuts.combo(action);
    return combo ? combo->keyNames() : QStringList();
}

bool NowContent::shortcutTaken(const ShortcutAction& action) const
{
    return s_.shortcuts.unavailable().contains(action.id());
}

QString NowContent::timeText(const QDateTime& when) { return tavrin::timeText(when.toLocalTime().time()); }

QString NowContent::minuteText(int minute) { return tavrin::timeText(minute); }

QString NowContent::savedTime(const QDateTime& savedAt, const QDateTime& now)
{
    const QDateTime local = savedAt.toLocalTime();
    const QString day = local.date() == now.toLocalTime().date()
                            ? tr("Today")
                            : QLocale().dayName(local.date().dayOfWeek(), QLocale::ShortFormat);
    return day + QLatin1Char(' ') + timeText(local);
}

} // namespace tavrin
