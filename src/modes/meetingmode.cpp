#include "modes/meetingmode.h"

#include "modes/appidentities.h"

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/linuxwords.h"
#include "platform/microphone.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "windows/axactionscope.h"
#include "windows/display.h"
#include "windows/windowmanager.h"

namespace tavrin {

namespace {
const QString kSwitchKey = QStringLiteral("mode.meeting");

bool trusted(const Platform& platform)
{
    Accessibility* accessibility = platform.accessibility;
    return accessibility && accessibility->isTrusted();
}

// Whether `text` holds `word` (lower-case ASCII) at `at`, ignoring case. The
// words looked for in titles are ASCII, and titles are read every second
// while the microphone is on: no lowered copy, no case folding of the whole.
bool wordAt(QStringView text, qsizetype at, QStringView word)
{
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = text[at + i].unicode();
        const char16_t lower = c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
        if (lower != word[i].unicode())
            return false;
    }
    return true;
}

bool startsWithWord(QStringView text, QStringView word) { return text.size() >= word.size() && wordAt(text, 0, word); }

bool containsWord(QStringView text, QStringView word)
{
    for (qsizetype at = 0; at + word.size() <= text.size(); ++at)
        if (wordAt(text, at, word))
            return true;
    return false;
}

void raise(const Platform& platform, const AXWindow& window)
{
    if (Accessibility* accessibility = platform.accessibility)
        accessibility->performAction(window.element, ax::Raise);
}
} // namespace

const QString MeetingMode::kCallClient = QStringLiteral("zoom.us");
const QString MeetingMode::kWebMeetingHost = QStringLiteral("meet.google.com");
// Under this name the window manager keeps the frames a call puts back.
const QString MeetingMode::kFramesOwner = QStringLiteral("meeting");

MeetingMode::MeetingMode(WindowManager& windows, AutoArrangeControl& autoArrange, const Platform& platform,
                         QObject* parent)
    : QObject(parent),
      windows_(windows),
      autoArrange_(autoArrange),
      platform_(platform)
{
    const Defaults* defaults = platform_.defaults;
    const auto stored = defaults ? defaults->value(kSwitchKey) : std::nullopt;
    enabled_ = stored && stored->typeId() == QMetaType::Bool ? stored->toBool() : true;
}

MeetingMode::~MeetingMode() { delete timer_.data(); }

const QSet<QString>& MeetingMode::meetingApps()
{
    static const QSet<QString> apps{kCallClient,
                                    QStringLiteral("Microsoft Teams"),
                                    QStringLiteral("FaceTime"),
                                    QStringLiteral("Webex"),
                                    QStringLiteral("Cisco Webex Meetings"),
                                    QStringLiteral("Around")};
    return apps;
}

const QSet<QString>& MeetingMode::browserApps()
{
    // Firefox and Chromium are the browsers a Linux desktop ships.
    static const QSet<QString> apps{QStringLiteral("Google Chrome"),  QStringLiteral("Arc"),
                                    QStringLiteral("Safari"),         QStringLiteral("Brave Browser"),
                                    QStringLiteral("Microsoft Edge"), QStringLiteral("Dia"),
                                    QStringLiteral("Vivaldi"),        QStringLiteral("Firefox"),
                                    QStringLiteral("Chromium")};
    return apps;
}

const QStringList& MeetingMode::notesApps()
{
    // The Mac's notes programs give way to Linux ones that do the same.
    static const QStringList apps = LinuxWords::programs(
        {QStringLiteral("Notes"), QStringLiteral("Obsidian"), QStringLiteral("Notion"), QStringLiteral("Bear"),
         QStringLiteral("Craft"), QStringLiteral("Logseq"), QStringLiteral("Apple Notes")},
        LinuxWords::kNotesApps);
    return apps;
}

void MeetingMode::setEnabled(bool on)
{
    const bool changed = enabled_ != on;
    enabled_ = on;
    if (Defaults* defaults = platform_.defaults)
        defaults->setValue(kSwitchKey, on);
    if (changed)
        emit enabledChanged(on);
    if (!on)
        endCall();
}

void MeetingMode::setInCall(bool inCall)
{
    if (inCall_ == inCall)
        return;
    inCall_ = inCall;
    emit inCallChanged(inCall);
}

void MeetingMode::start()
{
    if (timer_)
        return;
    timer_ = new Timer(*platform_.clock);
    connect(timer_, &Timer::timeout, this, &MeetingMode::tick);
    timer_->startRepeating(kCheckInterval);
}

bool MeetingMode::micInUse(const Microphone* microphone) { return microphone && microphone->inUse(); }

void MeetingMode::tick()
{
    if (!enabled_ || !trusted(platform_))
        return;
    if (!micInUse(platform_.microphone)) {
        micOnSince_.reset();
        if (inCall_)
            endCall();
        return;
    }
    if (!micOnSince_)
        micOnSince_ = platform_.clock->monotonic();
    if (!inCall_ && platform_.clock->monotonic() - *micOnSince_ > kMicrophoneSeconds)
        enterCall();
}

QString MeetingMode::callAppName(const RunningApp& app)
{
    const QString meeting = AppIdentities::listedAs(app, meetingApps());
    return meeting.isEmpty() ? AppIdentities::listedAs(app, browserApps()) : meeting;
}

bool MeetingMode::isCallWindow(const AXWindow& window)
{
    // The title is asked for only where it can decide.
    const QString app = callAppName(window.app);
    if (app.isEmpty())
        return false;
    return isCallWindow(app, window.string(ax::Title).value_or(QString()));
}

bool MeetingMode::isCallWindow(const QString& app, const QString& title)
{
    if (app.isEmpty())
        return false;
    const auto has = [&title](QStringView word) { return containsWord(title, word); };
    if (meetingApps().contains(app)) {
        if (app == kCallClient)
            return has(u"meeting") || has(u"webinar");
        if (app == QLatin1String("Microsoft Teams"))
            return has(u"meeting") || has(u"call") || title.contains(u'|');
        return true;
    }
    if (browserApps().contains(app))
        return startsWithWord(title, u"meet -") || has(u"google meet") || has(kWebMeetingHost);
    return false;
}

MeetingMode::Placement MeetingMode::placement(const Rect& area, bool withNotes)
{
    const double w = area.height > 0 && isUltrawide(area.width / area.height) ? kUltrawideWidth : kWidth;
    const double x = (1 - w) / 2;
    Placement p;
    p.call = UnitRect(x, 0, w, withNotes ? kHeightOverNotes : kHeightAlone);
    if (withNotes)
        p.notes = UnitRect(x, kHeightOverNotes, w, kNotesHeight);
    return p;
}

std::optional<AXWindow> MeetingMode::notesWindow(const std::vector<AXWindow>& windows, std::uint32_t displayId)
{
    std::optional<AXWindow> anywhere;
    for (const AXWindow& w : windows) {
        if (AppIdentities::listedAs(w.app, notesApps()).isEmpty())
            continue;
        if (!anywhere)
            anywhere = w;
        const auto display = Display::containing(w.frame().value_or(Rect()));
        if (display && display->id == displayId)
            return w;
    }
    return anywhere;
}

void MeetingMode::enterCall()
{
    AXActionScope scope;
    // While the microphone is on and no call is placed this runs every
    // second: only the windows of applications that can hold a call are
    // asked, and only calls are matched to the stacking order.
    const std::vector<AXWindow> calls =
        AXWindow::onScreenInZOrder([](const RunningApp& app) { return !callAppName(app).isEmpty(); },
                                   [](const AXWindow& w) { return isCallWindow(w); });
    if (calls.empty())
        return;
    const auto call = calls.begin();
    const auto callFrame = call->frame();
    if (!callFrame)
        return;
    const auto display = Display::containing(*callFrame);
    if (!display)
        return;
    setInCall(true);

    const std::optional<AXWindow> notes = notesWindow(AXWindow::onScreenInZOrder([](const RunningApp& app) {
                                                          return !AppIdentities::listedAs(app, notesApps()).isEmpty();
                                                      }),
                                                      display->id);
    const Placement place = placement(display->area, notes.has_value());
    std::vector<std::pair<AXWindow, UnitRect>> zones{{*call, place.call}};
    if (notes)
        zones.emplace_back(*notes, *place.notes);

    windows_.forgetKept(kFramesOwner);
    windows_.keepFrames(kFramesOwner, notes ? std::vector<AXWindow>{*call, *notes} : std::vector<AXWindow>{*call});
    autoArrange_.pause(kAutoArrangePause);
    windows_.arrange(zones, *display);
    if (notes)
        raise(platform_, *notes);
    raise(platform_, *call);
}

void MeetingMode::endCall()
{
    if (!inCall_)
        return;
    setInCall(false);
    autoArrange_.pause(kAutoArrangePause);
    windows_.putBackKept(kFramesOwner);
}

std::vector<std::pair<AXWindow, Rect>> MeetingMode::restoreList() const { return windows_.keptFrames(kFramesOwner); }

} // namespace tavrin
