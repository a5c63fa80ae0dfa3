#include "periodic_timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "case_name.h"
#include "fake_clock.h"
#include "fake_system_timer.h"

namespace clicker {
namespace {

using testing::FakeClock;
using testing::FakeSystemTimer;
using Calls = std::vector<std::string>;

// A component on a fake clock that records the times of its ticks.
class PeriodicTimerTest : public ::testing::Test {
protected:
    PeriodicTimerTest() {
        system.Attach(timer);
        timer.SetTickHandler([this] { ticks.push_back(clock.Now()); });
    }

    // Runs until the component has ticked once more; returns that tick's time.
    std::int64_t NextTick() {
        const std::size_t before = ticks.size();
        for (int ms = 0; ms < 100000 && ticks.size() == before; ++ms) {
            clock.Advance(1);
        }
        return ticks.size() == before ? -1 : ticks.back();
    }

    FakeClock clock;
    FakeSystemTimer system{clock};
    PeriodicTimer timer{1000, system};
    std::vector<std::int64_t> ticks;
};

TEST_F(PeriodicTimerTest, ActivateArmsWithTheDesignPeriod) {
    EXPECT_EQ(timer.GetPeriod(), 1000);
    clock.Advance(5000);
    EXPECT_TRUE(ticks.empty()) << "no tick before the host exists";

    timer.Activate();
    EXPECT_EQ(system.calls, Calls{"Start(1000)"});
    EXPECT_EQ(NextTick(), 6000);
    EXPECT_EQ(NextTick(), 7000);
}

TEST(PeriodicTimerDesign, DesignPeriodOfZeroOrLessStaysStoppedAndAsStored) {
    for (const std::int32_t design : {0, -5}) {
        SCOPED_TRACE(design);
        FakeClock clock;
        FakeSystemTimer system{clock};
        PeriodicTimer timer(design, system);
        timer.Activate();
        EXPECT_TRUE(system.calls.empty());
        EXPECT_EQ(timer.GetPeriod(), design);
        timer.Deactivate();
        EXPECT_TRUE(system.calls.empty());
    }
}

struct WriteCase {
    const char* name;
    std::int32_t before;  // period set (and running if above 0) before the write
    std::int32_t write;
    std::int32_t after;
    Calls calls;          // calls the write makes
};

class PeriodicTimerWrite : public PeriodicTimerTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(PeriodicTimerWrite, FollowsThePeriodRules) {
    const WriteCase& c = GetParam();
    timer.Activate();
    timer.SetPeriod(c.before);
    system.calls.clear();

    timer.SetPeriod(c.write);
    EXPECT_EQ(timer.GetPeriod(), c.after);
    EXPECT_EQ(system.calls, c.calls);
    EXPECT_EQ(system.Armed(), c.after > 0);
}

INSTANTIATE_TEST_SUITE_P(Rules, PeriodicTimerWrite, ::testing::Values(
    WriteCase{"StoppedTo500Starts", 0, 500, 500, {"Start(500)"}},
    WriteCase{"SameValueDoesNothing", 500, 500, 500, {}},
    WriteCase{"NewValueRestarts", 500, 300, 300, {"Stop", "Start(300)"}},
    WriteCase{"NegativeStops", 500, -1, 0, {"Stop"}},
    WriteCase{"NegativeWhileStoppedDoesNothing", 0, -1, 0, {}},
    WriteCase{"ZeroWhileStoppedDoesNothing", 0, 0, 0, {}},
    WriteCase{"ZeroStops", 500, 0, 0, {"Stop"}},
    WriteCase{"MostNegativeStops", 500, -2147483647 - 1, 0, {"Stop"}},
    WriteCase{"FivePassesThrough", 0, 5, 5, {"Start(5)"}}
), testing::CaseName());

TEST_F(PeriodicTimerTest, UnchangedPeriodKeepsThePhaseAndANewOneRestartsTheCount) {
    timer.Activate();
    timer.SetPeriod(500);
    EXPECT_EQ(NextTick(), 500);

    clock.Advance(200);
    timer.SetPeriod(500);
    EXPECT_EQ(NextTick(), 1000) << "the same period must not restart the count";

    clock.Advance(200);  // 200 ms after the last tick
    timer.SetPeriod(300);
    EXPECT_EQ(NextTick(), 1500) << "one new period after the write";
    EXPECT_EQ(NextTick(), 1800);
}

TEST_F(PeriodicTimerTest, DeactivateStopsAndNoTickFollows) {
    timer.Activate();
    EXPECT_EQ(NextTick(), 1000);
    timer.Deactivate();
    EXPECT_EQ(system.calls, (Calls{"Start(1000)", "Stop"}));
    clock.Advance(10000);
    EXPECT_EQ(ticks.size(), 1U);

    timer.Deactivate();
    EXPECT_EQ(system.calls.size(), 2U) << "a stopped component stops nothing";
}

TEST_F(PeriodicTimerTest, OneTickPerElapsedPeriod) {
    timer.Activate();
    timer.SetPeriod(10);
    clock.Advance(1000);
    ASSERT_EQ(ticks.size(), 100U);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i], static_cast<std::int64_t>(10 * (i + 1)));
    }
}

TEST_F(PeriodicTimerTest, RefusedStartIsRetriedOnlyByADifferentPeriod) {
    timer.Activate();
    system.refuseStart = true;
    timer.SetPeriod(200);
    clock.Advance(1000);
    EXPECT_TRUE(ticks.empty());

    system.refuseStart = false;
    system.calls.clear();
    timer.SetPeriod(200);
    EXPECT_TRUE(system.calls.empty()) << "the same period does not try again";

    timer.SetPeriod(250);
    EXPECT_EQ(system.calls, (Calls{"Stop", "Start(250)"})) << "it counted itself running";
    EXPECT_EQ(NextTick(), 1250);
}

TEST_F(PeriodicTimerTest, TickRunsTheHandlerThatIsBoundNow) {
    timer.Activate();
    int other = 0;
    timer.SetTickHandler([&other] { ++other; });
    clock.Advance(2000);
    EXPECT_EQ(other, 2);
    EXPECT_TRUE(ticks.empty());
}

}  // namespace
}  // namespace clicker
