#include "shellfixture.h"

#include "app/menubar/nowcontent.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"

#include <QSignalSpy>

namespace tavrin {
namespace {

class NowContentTest : public ShellTest {
protected:
    std::unique_ptr<NowContent> open()
    {
        auto content = std::make_unique<NowContent>(menuBar(*state));
        content->refresh();
        return content;
    }
    void save(const QString& name, const QStringList& apps, const QDateTime& when)
    {
        SavedWorkspace w;
        w.name = name;
        w.apps = apps;
        w.savedAt = when;
        SavedWorkspaceStore::save(w);
    }

    std::unique_ptr<AppState> state = makeState();
};

// ---- The display section ----

TEST_F(NowContentTest, WithoutTrustTheDisplayShowsItsPixelSize)
{
    env.desktop.setTrusted(false);
    state = makeState();
    auto content = open();
    EXPECT_EQ(content->title(), "UltraWide 34");
    EXPECT_EQ(content->subtitle(), "3440 × 1440");
    EXPECT_TRUE(content->snapshot().empty());
    EXPECT_EQ(content->previewOverlay(), "Set up Tavrin to see your windows");
    EXPECT_FALSE(content->layoutsEnabled());
}

TEST_F(NowContentTest, WithTrustItCountsTheDisplaysWindows)
{
    auto content = open();
    EXPECT_EQ(content->title(), "UltraWide 34");
    const auto n = content->snapshot().size();
    EXPECT_GT(n, 1u);
    EXPECT_EQ(content->subtitle(), QStringLiteral("%1 windows").arg(n));
    EXPECT_TRUE(content->previewOverlay().isEmpty());
    EXPECT_EQ(content->previewAccessibilityLabel(), QStringLiteral("%1 windows on UltraWide 34").arg(n));
}

TEST_F(NowContentTest, OneWindowAndNoWindows)
{
    SimEnvironment one(R"({"displays": [{"name": "Studio", "frame": [0, 0, 2560, 1440]}],
        "apps": [{"name": "Tavrin", "self": true, "policy": "accessory"}, {"name": "Notes"}],
        "frontmost": "Notes",
        "windows": [{"app": "Notes", "title": "Ideas", "frame": [100, 100, 800, 600]}]})");
    auto content = std::make_unique<NowContent>(menuBar(*state));
    content->refresh();
    EXPECT_EQ(content->subtitle(), "1 window");
    one.desktop.removeWindow(one.window(QStringLiteral("Ideas"))->token);
    content->refresh();
    EXPECT_EQ(content->subtitle(), "0 windows");
    EXPECT_EQ(content->previewOverlay(), "No windows on this display");
}

TEST_F(NowContentTest, AnActiveWorkspaceNamesItsDisplay)
{
    auto content = open();
    const QDateTime since = env.clock.nowDate();
    active.set(ActiveWorkspace{QStringLiteral("Launch"), 3, since, content->display()->id});
    EXPECT_EQ(content->title(), "Launch");
    EXPECT_EQ(content->subtitle(), "3 windows · since " + NowContent::timeText(since));
    active.set(ActiveWorkspace{QStringLiteral("Launch"), 1, since, content->display()->id});
    EXPECT_EQ(content->subtitle(), "1 window · since " + NowContent::timeText(since));
    // On another display it is not this display's title.
    active.set(ActiveWorkspace{QStringLiteral("Launch"), 1, since, content->display()->id + 1});
    EXPECT_EQ(content->title(), "UltraWide 34");
}

TEST_F(NowContentTest, ThePreviewHeightRule)
{
    EXPECT_DOUBLE_EQ(NowContent::previewHeight(32.0 / 9.0), 84.9375);
    EXPECT_DOUBLE_EQ(NowContent::previewHeight(1.2), 190);
    EXPECT_DOUBLE_EQ(NowContent::previewHeight(1.6), 188.75);
    EXPECT_DOUBLE_EQ(NowContent::previewHeight(302.0 / 70.0 + 1), 70);

    auto content = open();
    const Rect area = content->display()->area;
    EXPECT_DOUBLE_EQ(content->previewAspect(), area.width / area.height);

    // A portrait display is held at 1.2.
    env.desktop.setDisplays({SimDisplay{QStringLiteral("Portrait"), Rect{0, 0, 1080, 1920}, 1, 7}});
    content->refresh();
    EXPECT_DOUBLE_EQ(content->previewAspect(), 1.2);
    EXPECT_DOUBLE_EQ(content->previewHeight(), 190);

    env.desktop.setDisplays({});
    content->refresh();
    EXPECT_EQ(content->title(), "No display");
    EXPECT_DOUBLE_EQ(content->previewAspect(), 1.6);
    EXPECT_DOUBLE_EQ(content->previewHeight(), 188.75);
    EXPECT_DOUBLE_EQ(content->glyphAspect(), 3.2);
    EXPECT_EQ(content->usualKind(), LayoutKind::focusCentre);
    EXPECT_EQ(content->previewAccessibilityLabel(), "0 windows on this display");
}

// ---- Layouts ----

TEST_F(NowContentTest, TheCaptionFollowsThePointerElseTheUsualLayout)
{
    auto content = open();
    EXPECT_EQ(content->usualKind(), LayoutKind::focusCentre); // ultrawide
    EXPECT_EQ(content->captionKind(), LayoutKind::focusCentre);
    content->enterLayout(LayoutKind::halves);
    EXPECT_EQ(content->captionKind(), LayoutKind::halves);
    // Straight onto the neighbour: its enter may come before the leave.
    content->enterLayout(LayoutKind::thirds);
    content->leaveLayout(LayoutKind::halves);
    EXPECT_EQ(content->captionKind(), LayoutKind::thirds);
    content->leaveLayout(LayoutKind::thirds);
    EXPECT_EQ(content->captionKind(), LayoutKind::focusCentre);

    EXPECT_EQ(content->layoutHelp(LayoutKind::halves), "Halves · Ctrl+Alt+2");
    EXPECT_EQ(content->layoutAccessibilityLabel(LayoutKind::halves), "Halves, Ctrl+Alt+2");
    shortcutStore.set(std::nullopt, ShortcutAction::layout(LayoutKind::halves));
    EXPECT_EQ(content->layoutHelp(LayoutKind::halves), "Halves · ");
    EXPECT_EQ(content->askShortcut(), QStringList({"Alt", "Space"}));
}

TEST_F(NowContentTest, ApplyingALayoutRemembersItAndRefreshesAMomentLater)
{
    auto content = open();
    QSignalSpy changed(content.get(), &NowContent::changed);
    const auto before = content->snapshot();
    content->apply(LayoutKind::thirds);
    EXPECT_EQ(content->usualKind(), LayoutKind::thirds);
    env.clock.advance(0.14);
    EXPECT_EQ(changed.count(), 0);
    env.clock.advance(0.02);
    EXPECT_GE(changed.count(), 1);
    ASSERT_FALSE(content->snapshot().empty());
    EXPECT_NE(content->snapshot().front().unit, before.front().unit);
}

TEST_F(NowContentTest, TheWindowManagersMessageIsShown)
{
    auto content = open();
    env.desktop.setTrusted(false);
    QSignalSpy changed(content.get(), &NowContent::changed);
    content->apply(LayoutKind::halves);
    EXPECT_EQ(content->message(), WindowManager::kNeedsTrustMessage);
    EXPECT_GE(changed.count(), 1);
}

TEST_F(NowContentTest, GrantingTrustFillsThePreviewWithoutReopening)
{
    env.desktop.setTrusted(false);
    state = makeState();
    state->startEngines();
    auto content = open();
    EXPECT_TRUE(content->snapshot().empty());
    env.desktop.setTrusted(true);
    env.clock.advance(1);
    EXPECT_FALSE(content->snapshot().empty());
    EXPECT_TRUE(content->layoutsEnabled());
}

// ---- Modes ----

TEST_F(NowContentTest, ModeRowsFollowTheActiveFlagNotTheSwitch)
{
    auto content = open();
    const auto meetingRow = content->meetingRow();
    EXPECT_EQ(meetingRow.title, "Meeting");
    EXPECT_EQ(meetingRow.status, "when a call starts");
    EXPECT_TRUE(meetingRow.enabled); // on when missing
    EXPECT_FALSE(meetingRow.active);
    EXPECT_EQ(meetingRow.accessibilityLabel, "Meeting mode");
    const auto share = content->shareSafeRow();
    EXPECT_EQ(share.title, "Share-safe");
    EXPECT_EQ(share.status, "when you share");
    EXPECT_EQ(share.accessibilityLabel, "Share-safe mode");

    // Without meeting mode its switch only stores the setting.
    QSignalSpy changed(content.get(), &NowContent::changed);
    content->setMeetingEnabled(false);
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.meeting")), QVariant(false));
    EXPECT_FALSE(content->meetingRow().enabled);
    EXPECT_EQ(changed.count(), 1);

    FakeMeeting meeting;
    meeting.call = true;
    shareSafe.isActive = true;
    const Registration meetingMode = state->setMeeting(meeting);
    EXPECT_EQ(content->meetingRow().status, "on this call"); // in the call, though switched off
    EXPECT_TRUE(content->meetingRow().active);
    EXPECT_FALSE(content->meetingRow().enabled);
    EXPECT_EQ(content->shareSafeRow().status, "hiding private apps");

    // With the modes there, the switches go to them.
    content->setMeetingEnabled(true);
    EXPECT_EQ(meeting.enabled, true);
    content->setShareSafeEnabled(false);
    EXPECT_EQ(shareSafe.enabled, false);
}

// ---- Suggestions ----

TEST_F(NowContentTest, SuggestionsAreReadAtRefreshAndOnEngineNewsNeverWhileDrawing)
{
    int habitReads = 0;
    bool habitDue = false;
    int kept = 0;
    FakeSuggestions suggestions;
    const Registration suggesting = state->setSuggestions(suggestions);
    suggestions.onHabit = [&]() -> std::optional<SuggestionSource::Habit> {
        ++habitReads;
        if (!habitDue)
            return std::nullopt;
        return SuggestionSource::Habit{QStringLiteral("Slack"), 9 * 60 + 30, [] {}, [&] { habitDue = false; }};
    };
    suggestions.onPlacement = [&]() -> std::optional<SuggestionSource::Placement> {
        return SuggestionSource::Placement{QStringLiteral("Terminal"),
                                           QStringLiteral("Edge strip"),
                                           5,
                                           6,
                                           QStringLiteral("in the edge strip"),
                                           [&] { ++kept; },
                                           [] {}};
    };
    auto content = open();
    const int reads = habitReads;
    for (int i = 0; i < 5; ++i)
        (void)content->suggestion(); // drawing reads the stored card only
    EXPECT_EQ(habitReads, reads);

    ASSERT_TRUE(content->suggestion());
    EXPECT_EQ(content->suggestion()->kind, NowContent::Suggestion::Kind::placement);
    EXPECT_EQ(content->suggestion()->bold, "You usually put Terminal in the edge strip");
    EXPECT_EQ(content->suggestion()->rest, " (5 of 6 times). Make it a rule?");
    content->suggestion()->add();
    EXPECT_EQ(kept, 1);

    // A habit comes first.
    habitDue = true;
    state->announceEngineChange();
    ASSERT_TRUE(content->suggestion());
    EXPECT_EQ(content->suggestion()->kind, NowContent::Suggestion::Kind::habit);
    EXPECT_EQ(content->suggestion()->bold, "You usually open Slack around " + NowContent::minuteText(570));
    EXPECT_EQ(content->suggestion()->rest, ". Add it to your layout?");

    active.set(ActiveWorkspace{QStringLiteral("Launch"), 2, env.clock.nowDate(), content->display()->id});
    content->refresh();
    EXPECT_EQ(content->suggestion()->rest, " during Launch. Add it to your layout?");

    // "Not now" on the habit: the placement card can come back.
    content->suggestion()->notNow();
    state->announceEngineChange();
    EXPECT_EQ(content->suggestion()->kind, NowContent::Suggestion::Kind::placement);
}

TEST_F(NowContentTest, NoSuggestionWithoutEngines)
{
    auto content = open();
    EXPECT_FALSE(content->suggestion());
}

// ---- Saved workspaces ----

TEST_F(NowContentTest, TheThreeNewestSavedWorkspaces)
{
    const QDateTime now = env.clock.nowDate();
    save(QStringLiteral("Oldest"), {"Mail"}, now.addDays(-3));
    save(QStringLiteral("Yesterday"), {"Safari"}, now.addDays(-1));
    save(QStringLiteral("Empty"), {}, now);
    save(QStringLiteral("Launch"), {"Visual Studio Code", "Safari", "Terminal", "Slack"}, now);
    auto content = open();
    const auto rows = content->savedRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].name, "Launch");
    EXPECT_EQ(rows[0].keys, QStringList({"Ctrl", "1"}));
    EXPECT_EQ(rows[0].tiles, (QStringList{"Visual Studio Code", "Safari", "Terminal"}));
    EXPECT_EQ(rows[0].detail, "Today " + NowContent::timeText(now) + " · 4 windows");
    EXPECT_EQ(rows[1].detail, "Today " + NowContent::timeText(now) + " · 0 windows");
    EXPECT_TRUE(rows[1].tiles.isEmpty());
    EXPECT_EQ(rows[2].keys, QStringList({"Ctrl", "3"}));
    const QDateTime yesterday = now.addDays(-1);
    EXPECT_EQ(rows[2].detail, QLocale().dayName(yesterday.toLocalTime().date().dayOfWeek(), QLocale::ShortFormat) + " "
                                  + NowContent::timeText(yesterday) + " · 1 window");

    content->openSaved(2);
    EXPECT_EQ(*bar, (QStringList{"show", "open"}));
    content->openSaved(4);
    content->openSaved(0);
    EXPECT_EQ(bar->size(), 2);
    content->ask();
    EXPECT_EQ(bar->last(), "show");
}

TEST_F(NowContentTest, NoSavedWorkspacesYet)
{
    auto content = open();
    EXPECT_TRUE(content->savedRows().isEmpty());
    EXPECT_EQ(NowContent::emptySavedText(), "Tavrin saves your windows when your computer sleeps, and you can press "
                                            "Ctrl+↵ in the command bar to save one. They show up here.");
}

TEST_F(NowContentTest, TheFooterOpensSettingsPanes)
{
    RecordingSettings settings;
    const Registration opening = state->setSettingsOpener(settings);
    auto content = open();
    content->editLayouts();
    content->openSettings();
    EXPECT_EQ(settings.panes, (QStringList{"layouts", "general"}));
}

} // namespace
} // namespace tavrin
