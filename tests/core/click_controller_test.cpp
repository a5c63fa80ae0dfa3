#include "click_controller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "fake_clock.h"
#include "fake_system_timer.h"
#include "scripted_ports.h"

namespace clicker {
namespace {

using testing::FakeClock;
using testing::FakeSystemTimer;
using testing::ScriptedDesktopInput;
using testing::ScriptedTextSource;
using Log = std::vector<std::string>;

constexpr std::int16_t kDown = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kPressedSinceLastQuery = 1;

// The controller wired as the program wires it: the click timer armed at its
// design period, then the created event.
class ClickControllerTest : public ::testing::Test {
protected:
    ClickControllerTest() {
        system.Attach(clickTimer);
        clickTimer.SetTickHandler([this] { controller.HandleClickTick(); });
        clickTimer.Activate();
        controller.HandleWindowCreated();
        desktop.ScriptPointer({{640, 480}});
    }

    void Poll(std::int16_t f1, std::int16_t f2) {
        desktop.keyStates[kVK_F1] = f1;
        desktop.keyStates[kVK_F2] = f2;
        controller.HandlePollTick();
    }

    void Start(const std::string& boxText) {
        text.text = boxText;
        controller.HandleStartClicked();
    }

    // Times at which clicks arrive within the next `ms` milliseconds.
    std::vector<std::int64_t> ClickTimesWithin(std::int64_t ms) {
        std::vector<std::int64_t> times;
        const std::int64_t end = clock.Now() + ms;
        std::size_t seen = desktop.clicks.size();
        while (clock.Now() < end) {
            clock.Advance(1);
            for (; seen < desktop.clicks.size(); ++seen) {
                times.push_back(clock.Now());
            }
        }
        return times;
    }

    FakeClock clock;
    FakeSystemTimer system{clock};
    PeriodicTimer clickTimer{1000, system};
    ScriptedTextSource text;
    ScriptedDesktopInput desktop;
    ClickController controller{clickTimer, text, desktop};
};

TEST_F(ClickControllerTest, CreatedEventStopsTheClickTimerBeforeAnyClick) {
    EXPECT_EQ(clickTimer.GetPeriod(), 0);
    EXPECT_EQ(system.calls, (Log{"Start(1000)", "Stop"}));
    clock.Advance(10000);
    EXPECT_TRUE(desktop.log.empty());
}

TEST_F(ClickControllerTest, StartClicksOncePerIntervalAtThePointer) {
    Start("100");
    EXPECT_EQ(clickTimer.GetPeriod(), 100);
    desktop.ScriptPointer({{10, 20}, {10, 20}, {-300, 5}, {-300, 5}, {7, 8}, {7, 8}});
    EXPECT_EQ(ClickTimesWithin(350), (std::vector<std::int64_t>{100, 200, 300}));
    EXPECT_EQ(desktop.log, (Log{"x", "y", "click 10,20", "x", "y", "click -300,5", "x", "y", "click 7,8"}));
}

TEST_F(ClickControllerTest, StartWithTheSameIntervalKeepsTheRhythm) {
    Start("100");
    clock.Advance(140);  // 40 ms after the first click
    Start("100");
    EXPECT_EQ(ClickTimesWithin(100).front(), 200);
}

TEST_F(ClickControllerTest, StartWithANewIntervalRestartsTheCount) {
    Start("100");
    clock.Advance(140);
    Start("250");
    EXPECT_EQ(ClickTimesWithin(600), (std::vector<std::int64_t>{390, 640}));
}

TEST_F(ClickControllerTest, PointerMovingBetweenTheTwoQueriesSplitsTheClick) {
    desktop.ScriptPointer({{1, 2}, {30, 40}});
    controller.HandleClickTick();
    EXPECT_EQ(desktop.log, (Log{"x", "y", "click 1,40"}));
}

struct TransitionCase {
    const char* name;
    std::int32_t before;   // click period before the trigger
    const char* boxText;
    bool start;            // Start pressed, else a poll with the keys below
    std::int16_t f1;
    std::int16_t f2;
    std::int32_t after;
    bool restarts;         // the click timer was stopped or started by the trigger
};

class ClickControllerTransitions : public ClickControllerTest,
                                   public ::testing::WithParamInterface<TransitionCase> {};

TEST_P(ClickControllerTransitions, TriggerMovesThePeriod) {
    const TransitionCase& c = GetParam();
    clickTimer.SetPeriod(c.before);
    system.calls.clear();
    text.text = c.boxText;
    if (c.start) {
        controller.HandleStartClicked();
    } else {
        Poll(c.f1, c.f2);
    }
    EXPECT_EQ(clickTimer.GetPeriod(), c.after);
    EXPECT_EQ(!system.calls.empty(), c.restarts) << ::testing::PrintToString(system.calls);
}

INSTANTIATE_TEST_SUITE_P(Table, ClickControllerTransitions, ::testing::Values(
    TransitionCase{"IdleStart", 0, "100", true, 0, 0, 100, true},
    TransitionCase{"IdleF1", 0, "100", false, kDown, 0, 100, true},
    TransitionCase{"IdleF1ReportedPressedOnly", 0, "100", false, kPressedSinceLastQuery, 0, 100, true},
    TransitionCase{"IdleStartEmptyBox", 0, "", true, 0, 0, 0, false},
    TransitionCase{"IdleStartNoNumber", 0, "abc", true, 0, 0, 0, false},
    TransitionCase{"IdleF2", 0, "100", false, 0, kDown, 0, false},
    TransitionCase{"IdleNoKeys", 0, "100", false, 0, 0, 0, false},
    TransitionCase{"ClickingStartNewInterval", 100, "250", true, 0, 0, 250, true},
    TransitionCase{"ClickingF1NewInterval", 100, "250", false, kDown, 0, 250, true},
    TransitionCase{"ClickingStartSameInterval", 100, "100", true, 0, 0, 100, false},
    TransitionCase{"ClickingStartSameIntervalOtherSpelling", 100, "1e2", true, 0, 0, 100, false},
    TransitionCase{"ClickingStartZero", 100, "0", true, 0, 0, 0, true},
    TransitionCase{"ClickingStartEmpty", 100, "", true, 0, 0, 0, true},
    TransitionCase{"ClickingStartNegative", 100, "-5", true, 0, 0, 0, true},
    TransitionCase{"ClickingF2", 100, "100", false, 0, kDown, 0, true},
    TransitionCase{"ClickingF2ReportedPressedOnly", 100, "100", false, 0, kPressedSinceLastQuery, 0, true},
    TransitionCase{"ClickingNoKeys", 100, "250", false, 0, 0, 100, false},
    TransitionCase{"IdleF1AndF2", 0, "100", false, kDown, kDown, 0, true},
    TransitionCase{"ClickingF1AndF2", 100, "250", false, kDown, kDown, 0, true}
), testing::CaseName());

TEST_F(ClickControllerTest, PollQueriesF1ThenReadsTheBoxThenQueriesF2) {
    text.text = "50";
    Poll(kDown, kDown);
    EXPECT_EQ(desktop.log, (Log{"key 112", "key 113"}));
    EXPECT_EQ(text.reads, 1);
    EXPECT_EQ(system.calls, (Log{"Start(1000)", "Stop", "Start(50)", "Stop"}))
        << "F1's write comes first, then F2's";

    desktop.log.clear();
    Poll(0, 0);
    EXPECT_EQ(desktop.log, (Log{"key 112", "key 113"})) << "F2 is queried on every poll";
    EXPECT_EQ(text.reads, 1) << "the box is read only for F1";
}

TEST_F(ClickControllerTest, F1HeldThroughThreePollsAppliesTheTextEachTime) {
    text.text = "100";
    Poll(kDown, 0);
    clock.Advance(30);
    system.calls.clear();
    Poll(kDown, 0);
    Poll(kDown, 0);
    EXPECT_EQ(text.reads, 3);
    EXPECT_TRUE(system.calls.empty()) << "an unchanged text changes nothing";
    EXPECT_EQ(ClickTimesWithin(100).front(), 100) << "the rhythm of the first poll goes on";

    text.text = "40";
    Poll(kDown, 0);
    EXPECT_EQ(clickTimer.GetPeriod(), 40);
}

TEST_F(ClickControllerTest, EachClickTickClicksExactlyOnce) {
    for (int tick = 1; tick <= 3; ++tick) {
        controller.HandleClickTick();
        EXPECT_EQ(desktop.clicks.size(), static_cast<std::size_t>(tick));
    }
}

TEST_F(ClickControllerTest, TypingChangesNothingUntilStart) {
    Start("100");
    system.calls.clear();
    text.text = "300";
    controller.HandleIntervalChanged();
    EXPECT_EQ(text.reads, 1);
    EXPECT_TRUE(system.calls.empty());
    EXPECT_EQ(clickTimer.GetPeriod(), 100);
}

TEST_F(ClickControllerTest, F1ConvertsTheBoxTextAsTheProgramDoes) {
    struct Case {
        std::string text;
        std::int32_t period;
    };
    const Case cases[] = {
        {"\xA3\xB1\xA3\xB0\xA3\xB0", 100},  // full-width 100
        {"\xA3\xB2\xA3\xE5\xA3\xB2", 200},  // full-width 2e2
        {"1.5e2", 150},
        {"4294967396", 100},                // low 32 bits
        {"3e9", 0},                         // negative period: stopped
        {"1e999", 0},                       // infinity
        {"  12ms", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        text.text = c.text;
        Poll(kDown, 0);
        EXPECT_EQ(clickTimer.GetPeriod(), c.period);
    }
}

TEST_F(ClickControllerTest, ClicksAtTheProgramsOwnButtonRestartOnlyForAnEditedBox) {
    // A click landing on Start runs the Start handler like a user's click.
    clickTimer.SetTickHandler([this] {
        controller.HandleClickTick();
        controller.HandleStartClicked();
    });
    Start("100");
    EXPECT_EQ(ClickTimesWithin(300), (std::vector<std::int64_t>{100, 200, 300}));
    text.text = "70";
    EXPECT_EQ(ClickTimesWithin(250), (std::vector<std::int64_t>{400, 470, 540}));
}

}  // namespace
}  // namespace clicker
