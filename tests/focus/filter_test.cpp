#include "focus/routinequery.h"
#include "focus/tavrinfocusfilter.h"

#include "focusfixture.h"

namespace tavrin {
namespace {

using RoutineQueryTest = FocusTest;

TEST_F(RoutineQueryTest, EntitiesComeInListOrderOnceEach)
{
    FocusRoutine a = routine("A"), b = routine("B"), c = routine("C");
    b.enabled = false;
    setRoutines({a, b, c});
    EXPECT_EQ(RoutineQuery::entities(focus(), {c.id, a.id, c.id}), (QList<RoutineEntity>{{a.id, "A"}, {c.id, "C"}}));
    EXPECT_TRUE(RoutineQuery::entities(focus(), {QUuid::createUuid()}).isEmpty());
    EXPECT_EQ(RoutineQuery::suggestedEntities(focus()), (QList<RoutineEntity>{{a.id, "A"}, {b.id, "B"}, {c.id, "C"}}));
    EXPECT_EQ(RoutineEntity::typeDisplayName(), "Focus routine");
    focus().setRoutines({});
    EXPECT_TRUE(RoutineQuery::suggestedEntities(focus()).isEmpty());
}

TEST_F(RoutineQueryTest, TheFilterShowsItsRoutineAndNamesItToTheEngine)
{
    TavrinFocusFilter filter;
    EXPECT_EQ(TavrinFocusFilter::title(), "Tavrin");
    EXPECT_EQ(TavrinFocusFilter::description(), "Runs a Tavrin Focus routine while this Focus is on: hide or quit "
                                                "apps, arrange windows, open a workspace.");
    EXPECT_EQ(TavrinFocusFilter::routineTitle(), "Routine");
    EXPECT_EQ(filter.displayTitle(), "Choose a routine");
    EXPECT_EQ(TavrinFocusFilter::displaySubtitle(), "Tavrin Focus routine");

    env.defaults.setValue(Focus::kSwitchKey, true);
    FocusRoutine reading = routine("Reading");
    setRoutines({reading});
    filter.routine = RoutineEntity{reading.id, "Reading"};
    EXPECT_EQ(filter.displayTitle(), "Reading");
    filter.perform(focus());
    EXPECT_EQ(focus().macFocusRoutine(), reading.id);
    EXPECT_TRUE(focus().routines().front().macFocus);
    ASSERT_TRUE(focus().running());

    TavrinFocusFilter{}.perform(focus());
    EXPECT_EQ(focus().macFocusRoutine(), std::nullopt);
    EXPECT_FALSE(focus().running());
}

} // namespace
} // namespace tavrin
