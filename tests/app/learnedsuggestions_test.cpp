#include "shellfixture.h"

#include "app/learnedsuggestions.h"
#include "app/menubar/nowcontent.h"
#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"
#include "windows/windowmanager.h"

namespace tavrin {
namespace {

// The menu-bar window over the real learning engines.
class LearnedSuggestionsTest : public ShellTest {
protected:
    LearnedSuggestionsTest()
    {
        env.clock.setNow(Clock::referenceSeconds(QDateTime(QDate(2026, 12, 7), QTime(9, 0))));
        content.refresh();
    }
    Display wide() const { return Display::all().at(0); }
    void placeSafari(int times)
    {
        for (int i = 0; i < times; ++i)
            learning.record("Safari", wide(), {0.6, 0, 0.4, 1}, false);
    }

    std::unique_ptr<AppState> state = makeState();
    Learning learning{env.defaults, env.clock};
    Habits habits{windows, Platform::current()};
    LearnedSuggestions suggestions{*state, learning, habits};
    Registration suggesting = state->setSuggestions(suggestions);
    NowContent content{menuBar(*state)};
};

TEST_F(LearnedSuggestionsTest, TheStrongestRuleIsOfferedAndAddMakesItARule)
{
    EXPECT_FALSE(content.suggestion());
    placeSafari(4); // the window hears of it without a refresh
    ASSERT_TRUE(content.suggestion());
    EXPECT_EQ(content.suggestion()->kind, NowContent::Suggestion::Kind::placement);
    EXPECT_EQ(content.suggestion()->bold, "You usually put Safari on the right");
    EXPECT_EQ(content.suggestion()->rest, " (4 of 4 times). Make it a rule?");
    content.suggestion()->add();
    EXPECT_TRUE(learning.rules().front().kept);
    EXPECT_FALSE(content.suggestion());
}

TEST_F(LearnedSuggestionsTest, AHabitDueNowComesFirstAndNotNowPutsItAwayForTheDay)
{
    placeSafari(4);
    QVariantMap days;
    for (int d = 1; d <= 4; ++d)
        days.insert(QStringLiteral("2026-12-0%1").arg(d), qint64(9 * 60));
    env.defaults.setValue(Habits::kOpensKey, QVariantMap{{"Calendar", days}});
    habits.raiseTick();
    ASSERT_TRUE(content.suggestion());
    EXPECT_EQ(content.suggestion()->kind, NowContent::Suggestion::Kind::habit);
    EXPECT_EQ(content.suggestion()->bold, "You usually open Calendar around " + NowContent::minuteText(540));

    content.suggestion()->notNow();
    EXPECT_EQ(env.defaults.value(Habits::kDismissedKey), QVariant(QVariantMap{{"Calendar", "2026-12-07"}}));
    ASSERT_TRUE(content.suggestion());
    EXPECT_EQ(content.suggestion()->kind, NowContent::Suggestion::Kind::placement);
    content.suggestion()->notNow();
    EXPECT_FALSE(content.suggestion());
}

} // namespace
} // namespace tavrin
