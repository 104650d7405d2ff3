#include "planning/usagecounters.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/simclock.h"

#include <gtest/gtest.h>
#include <limits>

using namespace tavrin;

namespace {

TEST(UsageCountersTest, ACounterNeverWrapsPastTheTopOfItsRange)
{
    MemoryDefaults defaults;
    SimClock clock;
    UsageCounters counters(defaults, clock);
    const auto kind = UsageCounters::Kind::cloud;
    const QString key = UsageCounters::key(clock.nowDate(), kind);

    defaults.setValue(key, qint64(41));
    counters.increment(kind);
    EXPECT_EQ(counters.count(clock.nowDate(), kind), 42);

    // Another program may have written it as a real, and a huge one.
    defaults.setValue(key, 1e19);
    EXPECT_EQ(counters.count(clock.nowDate(), kind), std::numeric_limits<qint64>::max());
    counters.increment(kind);
    EXPECT_EQ(counters.count(clock.nowDate(), kind), std::numeric_limits<qint64>::max());
}

} // namespace
