#pragma once

#include <array>
#include <cstdint>

// Decides, from each animation frame's timestamp alone, how many game steps that frame takes, so a
// page keeps the game at a chosen number of steps a second whatever the display's refresh rate.
//
// Steps are due on a schedule counted from its start, so rounding never adds up. A step counts as
// due a little before its time, so a frame that arrives early by a few milliseconds of jitter still
// takes it. A display whose measured rate is within kLockTolerance of the step rate gets exactly
// one step per frame: the schedule follows the display instead of drifting against it and taking a
// doubled or a skipped step every few hundred frames. A frame that comes later than
// kMaxStepsPerFrame intervals after the one before (a stall, a hidden tab, a machine that cannot
// keep up) takes one step and starts the schedule again from itself, as the desktop's pacer does:
// the game slows down instead of catching up.
class StepScheduler {
public:
    static constexpr int kDefaultStepsPerSecond = 60;
    static constexpr int kMinStepsPerSecond = 1;
    static constexpr int kMaxStepsPerSecond = 1000;
    // Not a rate: one step on every animation frame, whatever the display's rate.
    static constexpr int kEveryAnimationFrame = 0;
    // A 30 Hz display keeps a 60-step game at full speed; a frame later than this falls behind.
    static constexpr int kMaxStepsPerFrame = 2;
    // A display this close to the step rate (as a fraction of it) is locked to one step a frame.
    static constexpr double kLockTolerance = 0.02;
    // The display's rate is measured over the latest kRateFrames frames: enough to average out
    // jitter of kJitterMs to well under the lock's tolerance. From kFirstRateFrames on, a shorter
    // measurement locks too, allowing for the jitter it has not yet averaged out, so a display
    // just inside the tolerance is locked before its drift can cost a step.
    static constexpr int kRateFrames = 32;
    static constexpr int kFirstRateFrames = 8;
    static constexpr double kJitterMs = 2.0; // either way, in one frame's timestamp
    // How long before its time a step already counts as due, in milliseconds: more than the
    // jitter of two animation-frame timestamps, less than half a 120 Hz frame.
    static constexpr double kEarlyMs = 5.0;

    // stepsPerSecond from kMinStepsPerSecond to kMaxStepsPerSecond, or kEveryAnimationFrame.
    explicit StepScheduler(int stepsPerSecond);

    // The number of steps the animation frame at timestampMs (milliseconds on the page's clock, as
    // requestAnimationFrame gives them) takes: 0 when none is due yet. The first frame takes one.
    int stepsFor(double timestampMs);

    // How many frames came too late and started the schedule again.
    std::uint64_t restarts() const { return restarts_; }

    // Whether the display runs close enough to the step rate that each frame takes one step.
    bool lockedToDisplay() const;

private:
    void restart(double timestampMs);
    void remember(double timestampMs);
    int framesMeasured() const { return recentCount_ - 1; }
    double displayPeriodMs() const; // 0 until kFirstRateFrames frames have been measured

    int stepsPerSecond_;
    double intervalMs_;
    bool started_ = false;
    double previousMs_ = 0.0;
    // The schedule: step k of the current whole second is due at secondStartMs_ + k intervals, and
    // stepsIntoSecond_ steps of it have been taken (whole seconds are folded into the start).
    double secondStartMs_ = 0.0;
    std::int64_t stepsIntoSecond_ = 0;
    std::uint64_t restarts_ = 0;
    // The latest frames' timestamps since the schedule last started, oldest first once full.
    std::array<double, kRateFrames + 1> recentMs_{};
    int recentCount_ = 0;
    int recentNext_ = 0;
};
