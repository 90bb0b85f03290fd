#include "shell/StepScheduler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kStartMs = 12'345.678; // anywhere on the page's clock, not zero

// Animation-frame timestamps of a display at `hertz` for `seconds`, each off its vsync by up to
// jitterMs either way, by a fixed pseudo-random sequence so every run sees the same frames.
std::vector<double> displayFrames(double hertz, double seconds, double jitterMs = 0.0,
                                  double startMs = kStartMs) {
    std::vector<double> frames;
    std::uint32_t seed = 1;
    const auto count = static_cast<int>(seconds * hertz);
    for (int k = 0; k < count; ++k) {
        seed = seed * 214013u + 2531011u;
        const double unit = static_cast<double>((seed >> 16) & 0x7fff) / 0x7fff; // 0 .. 1
        frames.push_back(startMs + k * 1000.0 / hertz + (2.0 * unit - 1.0) * jitterMs);
    }
    return frames;
}

std::vector<int> stepsPerFrame(StepScheduler& scheduler, const std::vector<double>& frames) {
    std::vector<int> steps;
    for (double timestampMs : frames) {
        steps.push_back(scheduler.stepsFor(timestampMs));
    }
    return steps;
}

int total(const std::vector<int>& steps) {
    int sum = 0;
    for (int s : steps) {
        sum += s;
    }
    return sum;
}

struct DisplayCase {
    const char* name;
    double hertz;
    double jitterMs;
    std::set<int> stepsEachFrame; // every frame takes one of these
    bool lockedToDisplay;         // one step per frame: the game follows the display's own rate
};

class StepSchedulerDisplays : public ::testing::TestWithParam<DisplayCase> {};

// A minute of frames at 60 steps a second: the game keeps 60 steps a second (or the display's own
// rate, when that is within 2 % of it), each frame taking only the steps allowed, and the schedule
// never starts again.
TEST_P(StepSchedulerDisplays, KeepsTheRateWithTheStepsAllowed) {
    const DisplayCase c = GetParam();
    constexpr double kSeconds = 60.0;
    StepScheduler scheduler(60);
    const auto frames = displayFrames(c.hertz, kSeconds, c.jitterMs);
    const auto steps = stepsPerFrame(scheduler, frames);
    EXPECT_EQ(steps[0], 1) << "the first frame";
    for (std::size_t k = 1; k < steps.size(); ++k) {
        ASSERT_TRUE(c.stepsEachFrame.count(steps[k]) == 1)
            << "frame " << k << " took " << steps[k] << " steps";
    }
    // The steps due over the frames' span, plus the first frame's.
    const double spanSeconds = (frames.back() - frames.front()) / 1000.0;
    const double expected =
        c.lockedToDisplay ? static_cast<double>(frames.size()) : 60.0 * spanSeconds + 1.0;
    EXPECT_NEAR(total(steps), expected, 1.0);
    EXPECT_EQ(scheduler.lockedToDisplay(), c.lockedToDisplay);
    EXPECT_EQ(scheduler.restarts(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, StepSchedulerDisplays,
    ::testing::Values(DisplayCase{"Hz60Jitter2ms", 60.0, 2.0, {1}, true},
                      DisplayCase{"Hz59_94", 59.94, 0.0, {1}, true},
                      DisplayCase{"Hz61_1", 61.1, 0.5, {1}, true}, // 1.8 % fast: still locked
                      DisplayCase{"Hz58_5", 58.5, 0.0, {1, 2}, false},
                      DisplayCase{"Hz75", 75.0, 0.0, {0, 1}, false},
                      DisplayCase{"Hz120", 120.0, 0.0, {0, 1}, false},
                      DisplayCase{"Hz144", 144.0, 0.0, {0, 1}, false},
                      DisplayCase{"Hz30", 30.0, 0.0, {2}, false},
                      DisplayCase{"Hz30Jitter1ms", 30.0, 1.0, {2}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// On a faster display a step falls only on the frames where one is due: every other frame at
// 120 Hz, every second or third at 144 Hz, never two frames running.
TEST(StepScheduler, FasterDisplaysSpreadTheSteps) {
    struct Case {
        double hertz;
        std::set<int> gaps; // frames from one step to the next
    };
    for (const Case& c : {Case{120.0, {2}}, Case{144.0, {2, 3}}, Case{75.0, {1, 2}}}) {
        StepScheduler scheduler(60);
        const auto steps = stepsPerFrame(scheduler, displayFrames(c.hertz, 10.0));
        int previous = 0;
        for (int k = 1; k < static_cast<int>(steps.size()); ++k) {
            if (steps[k] == 1) {
                EXPECT_TRUE(c.gaps.count(k - previous) == 1)
                    << c.hertz << " Hz: steps at frames " << previous << " and " << k;
                previous = k;
            }
        }
    }
}

// Without the lock, 59.94 Hz against a 60 Hz schedule doubles a step within 12 s; locked, an
// hour of frames takes exactly one step each.
TEST(StepScheduler, LockedDisplayNeverDoublesAStepOverAnHour) {
    StepScheduler scheduler(60);
    const auto frames = displayFrames(59.94, 3600.0, 1.0);
    const auto steps = stepsPerFrame(scheduler, frames);
    EXPECT_EQ(total(steps), static_cast<int>(frames.size()));
    EXPECT_EQ(scheduler.restarts(), 0u);
}

// A 2-second stall (a hidden tab, say) in a 60 Hz game: the frame after it takes one step and
// starts the schedule again; nothing is caught up, and the frames after it go on one step each.
TEST(StepScheduler, StallStartsTheScheduleAgainWithoutCatchingUp) {
    StepScheduler scheduler(60);
    auto frames = displayFrames(60.0, 1.0, 2.0);
    const auto after = displayFrames(60.0, 1.0, 2.0, frames.back() + 2000.0);
    frames.insert(frames.end(), after.begin(), after.end());
    const auto steps = stepsPerFrame(scheduler, frames);
    for (std::size_t k = 0; k < steps.size(); ++k) {
        ASSERT_EQ(steps[k], 1) << "frame " << k;
    }
    EXPECT_EQ(scheduler.restarts(), 1u);
}

// A machine whose every frame takes 40 ms cannot draw 60 steps a second: each frame takes one
// step and starts the schedule again, so the game runs at 25 steps a second, never in bursts.
TEST(StepScheduler, SlowMachineSlowsTheGameDown) {
    StepScheduler scheduler(60);
    const auto frames = displayFrames(25.0, 10.0);
    const auto steps = stepsPerFrame(scheduler, frames);
    for (std::size_t k = 0; k < steps.size(); ++k) {
        ASSERT_EQ(steps[k], 1) << "frame " << k;
    }
    EXPECT_EQ(scheduler.restarts(), frames.size() - 1);
}

// One late frame on a 60 Hz display (one vsync missed) is made up with a second step; two missed
// vsyncs are falling behind.
TEST(StepScheduler, MissedVsyncIsMadeUpButTwoAreNot) {
    for (bool locked : {false, true}) {
        StepScheduler scheduler(60);
        const auto frames = displayFrames(60.0, locked ? 2.0 : 0.1);
        stepsPerFrame(scheduler, frames);
        ASSERT_EQ(scheduler.lockedToDisplay(), locked);
        std::vector<double> late;
        for (double extraMs : {2000.0 / 60.0, 4000.0 / 60.0, 7000.0 / 60.0}) {
            late.push_back(frames.back() + extraMs);
        }
        EXPECT_EQ(stepsPerFrame(scheduler, late), (std::vector<int>{2, 2, 1}))
            << (locked ? "locked" : "unlocked");
        EXPECT_EQ(scheduler.restarts(), 1u);
    }
}

// Other rates: 20 steps a second on a 60 Hz display is a step every third frame; a rate the
// display cannot reach with two steps a frame takes one step per frame.
TEST(StepScheduler, ChosenRates) {
    struct Case {
        int stepsPerSecond;
        double hertz;
        std::vector<int> firstSteps;
        int stepsInTenSeconds;
    };
    for (const Case& c :
         {Case{20, 60.0, {1, 0, 0, 1, 0, 0, 1}, 200}, Case{1, 60.0, {1, 0, 0, 0, 0, 0, 0}, 10},
          Case{100, 60.0, {1, 2, 1, 2, 2, 1, 2}, 1000},
          Case{1000, 60.0, {1, 1, 1, 1, 1, 1, 1}, 600}}) {
        StepScheduler scheduler(c.stepsPerSecond);
        const auto frames = displayFrames(c.hertz, 10.0);
        const auto steps = stepsPerFrame(scheduler, frames);
        EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 7), c.firstSteps)
            << c.stepsPerSecond << " steps a second";
        EXPECT_NEAR(total(steps), c.stepsInTenSeconds, 1.0) << c.stepsPerSecond;
    }
}

// Every animation frame takes one step, whatever the display does: the page's `?fps=display`.
TEST(StepScheduler, EveryAnimationFrameTakesOneStep) {
    StepScheduler scheduler(StepScheduler::kEveryAnimationFrame);
    auto frames = displayFrames(144.0, 1.0);
    frames.push_back(frames.back() + 2000.0);
    frames.push_back(frames.back() + 40.0);
    frames.push_back(frames.back()); // the same timestamp twice
    for (double timestampMs : frames) {
        ASSERT_EQ(scheduler.stepsFor(timestampMs), 1);
    }
    EXPECT_EQ(scheduler.restarts(), 0u);
}

// Two frames with the same timestamp take no second step; a clock that goes back starts again.
TEST(StepScheduler, RepeatedOrBackwardTimestamps) {
    StepScheduler scheduler(60);
    EXPECT_EQ(scheduler.stepsFor(1000.0), 1);
    EXPECT_EQ(scheduler.stepsFor(1000.0), 0);
    EXPECT_EQ(scheduler.stepsFor(1016.7), 1);
    EXPECT_EQ(scheduler.stepsFor(900.0), 1);
    EXPECT_EQ(scheduler.restarts(), 1u);
    EXPECT_EQ(scheduler.stepsFor(916.7), 1);
}

} // namespace
