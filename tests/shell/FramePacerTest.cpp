#include "shell/FramePacer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Nanoseconds = FramePacer::Nanoseconds;
using namespace std::chrono_literals;

constexpr std::int64_t kSecond = 1'000'000'000;

// Time moves only when the pacer sleeps or a test says that work was done. A sleep may be set to
// wake late, as a real one does.
class FakeClock : public FramePacer::Clock {
public:
    Nanoseconds now() override { return time; }
    void sleepUntil(Nanoseconds deadline) override {
        ++sleeps;
        if (deadline > time) {
            time = deadline + lateWakeUp;
        }
    }

    Nanoseconds time = 5s; // anything but zero, so a schedule that forgets its start shows
    Nanoseconds lateWakeUp{};
    int sleeps = 0;
};

// Starts frames with the pacer, doing `work` in each; returns each frame's start.
std::vector<Nanoseconds> runFrames(FramePacer& pacer, FakeClock& clock, int frames,
                                   Nanoseconds work = {}) {
    std::vector<Nanoseconds> starts;
    for (int i = 0; i < frames; ++i) {
        pacer.waitForFrame();
        starts.push_back(clock.time);
        clock.time += work;
    }
    return starts;
}

// Frame k of an unbroken schedule, to the nanosecond.
Nanoseconds due(Nanoseconds start, std::int64_t k, int framesPerSecond) {
    return start + Nanoseconds(k / framesPerSecond * kSecond +
                               k % framesPerSecond * kSecond / framesPerSecond);
}

TEST(FramePacer, FirstFrameStartsAtOnce) {
    FakeClock clock;
    FramePacer pacer(60, clock);
    pacer.waitForFrame();
    EXPECT_EQ(clock.time, 5s);
    EXPECT_EQ(clock.sleeps, 0);
}

struct DeadlineCase {
    int framesPerSecond;
    std::int64_t frame;
    std::int64_t offsetNs; // after the first frame's start
};

class FramePacerDeadlines : public ::testing::TestWithParam<DeadlineCase> {};

TEST_P(FramePacerDeadlines, FrameStartsAtItsShareOfTheSecond) {
    const DeadlineCase c = GetParam();
    FakeClock clock;
    FramePacer pacer(c.framesPerSecond, clock);
    // A frame's own work, shorter than its interval, never moves the later frames.
    const Nanoseconds work(kSecond / c.framesPerSecond / 2);
    const auto starts = runFrames(pacer, clock, static_cast<int>(c.frame) + 1, work);
    EXPECT_EQ((starts.back() - starts.front()).count(), c.offsetNs);
    EXPECT_EQ(pacer.overruns(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rates, FramePacerDeadlines,
                         ::testing::Values(DeadlineCase{1, 1, kSecond},          //
                                           DeadlineCase{1, 5, 5 * kSecond},      //
                                           DeadlineCase{60, 1, 16'666'666},      //
                                           DeadlineCase{60, 2, 33'333'333},      //
                                           DeadlineCase{60, 59, 983'333'333},    //
                                           DeadlineCase{60, 60, kSecond},        //
                                           DeadlineCase{60, 61, 1'016'666'666},  //
                                           DeadlineCase{1000, 1, 1'000'000},     //
                                           DeadlineCase{1000, 999, 999'000'000}, //
                                           DeadlineCase{1000, 2500, 2'500'000'000}));

TEST(FramePacer, LateWakeUpsDoNotAddUp) {
    FakeClock clock;
    clock.lateWakeUp = 2ms; // every sleep ends 2 ms late, well inside a 60 Hz interval
    FramePacer pacer(60, clock);
    const auto starts = runFrames(pacer, clock, 601);
    // Each frame is late by one wake-up, never by the sum of all of them.
    EXPECT_EQ(starts.back(), due(starts.front(), 600, 60) + 2ms);
    EXPECT_EQ(pacer.overruns(), 0u);
}

TEST(FramePacer, OverrunFrameStartsAtOnceAndTheScheduleStartsAgainFromIt) {
    FakeClock clock;
    FramePacer pacer(60, clock);
    auto starts = runFrames(pacer, clock, 4);
    clock.time += 100ms; // the fourth frame stalls for six intervals
    const Nanoseconds stallEnd = clock.time;
    const int sleepsBefore = clock.sleeps;
    pacer.waitForFrame();
    EXPECT_EQ(clock.time, stallEnd) << "a late frame is drawn at once";
    EXPECT_EQ(clock.sleeps, sleepsBefore);
    EXPECT_EQ(pacer.overruns(), 1u);

    const auto after = runFrames(pacer, clock, 10);
    // No catch-up: the frames after the stall keep whole intervals, counted from the late frame.
    Nanoseconds previous = stallEnd;
    for (std::size_t k = 0; k < after.size(); ++k) {
        EXPECT_EQ(after[k], due(stallEnd, static_cast<std::int64_t>(k) + 1, 60));
        EXPECT_GE(after[k] - previous, 16'666'666ns) << "frame " << k << " came too soon";
        previous = after[k];
    }
    EXPECT_EQ(pacer.overruns(), 1u);
}

TEST(FramePacer, FrameDueExactlyNowIsNoOverrun) {
    FakeClock clock;
    FramePacer pacer(1000, clock);
    pacer.waitForFrame();
    clock.time += 1ms; // the work took exactly the whole interval
    pacer.waitForFrame();
    EXPECT_EQ(clock.time, 5s + 1ms);
    EXPECT_EQ(pacer.overruns(), 0u);
}

class FramePacerLongRun : public ::testing::TestWithParam<int> {};

// A million frames at rates that divide a second evenly and at ones that do not: the last frame
// starts exactly where the whole schedule says, to the nanosecond.
TEST_P(FramePacerLongRun, MillionFramesDoNotDrift) {
    const int framesPerSecond = GetParam();
    constexpr std::int64_t kFrames = 1'000'000;
    FakeClock clock;
    FramePacer pacer(framesPerSecond, clock);
    pacer.waitForFrame();
    const Nanoseconds start = clock.time;
    for (std::int64_t k = 1; k <= kFrames; ++k) {
        clock.time += 100us; // a little work each frame
        pacer.waitForFrame();
    }
    EXPECT_EQ(clock.time, due(start, kFrames, framesPerSecond));
    EXPECT_EQ(pacer.overruns(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rates, FramePacerLongRun, ::testing::Values(1, 7, 60, 144, 1000));

TEST(FramePacer, SteadyClockSleepsUntilTheDeadline) {
    FramePacer::SteadyClock clock;
    const Nanoseconds deadline = clock.now() + 2ms;
    clock.sleepUntil(deadline);
    EXPECT_GE(clock.now(), deadline);
}

} // namespace
