#include "shell/StepScheduler.h"

#include <cmath>

namespace {
constexpr double kMillisecondsPerSecond = 1000.0;
}

StepScheduler::StepScheduler(int stepsPerSecond)
    : stepsPerSecond_(stepsPerSecond),
      intervalMs_(stepsPerSecond > 0 ? kMillisecondsPerSecond / stepsPerSecond : 0.0) {}

int StepScheduler::stepsFor(double timestampMs) {
    if (stepsPerSecond_ == kEveryAnimationFrame) {
        return 1;
    }
    if (!started_) {
        started_ = true;
        restart(timestampMs);
        return 1;
    }
    const double sincePreviousMs = timestampMs - previousMs_;
    const double periodMs = lockedToDisplay() ? displayPeriodMs() : intervalMs_;
    // A clock that went back, or a frame too late to make up: one step, and a new schedule.
    if (sincePreviousMs < 0.0 || sincePreviousMs > kMaxStepsPerFrame * periodMs + kEarlyMs) {
        ++restarts_;
        restart(timestampMs);
        return 1;
    }
    previousMs_ = timestampMs;
    remember(timestampMs);

    if (lockedToDisplay()) {
        // A frame of the display's own period takes one step, one that the display dropped two.
        const int steps = static_cast<int>(std::floor(sincePreviousMs / displayPeriodMs() + 0.5));
        if (steps > kMaxStepsPerFrame) {
            ++restarts_;
            restart(timestampMs);
            return 1;
        }
        if (steps > 0) {
            // The schedule follows the display, so it never drifts against it.
            secondStartMs_ = timestampMs;
            stepsIntoSecond_ = 1;
        }
        return steps;
    }

    // Steps due by now, counting step 0 at the start of the second.
    const double dueMs = timestampMs - secondStartMs_ + kEarlyMs;
    const auto due = static_cast<std::int64_t>(std::floor(dueMs / intervalMs_)) + 1;
    const std::int64_t steps = due > stepsIntoSecond_ ? due - stepsIntoSecond_ : 0;
    if (steps > kMaxStepsPerFrame) {
        ++restarts_;
        restart(timestampMs);
        return 1;
    }
    stepsIntoSecond_ += steps;
    if (stepsIntoSecond_ > stepsPerSecond_) {
        secondStartMs_ += kMillisecondsPerSecond;
        stepsIntoSecond_ -= stepsPerSecond_;
    }
    return static_cast<int>(steps);
}

bool StepScheduler::lockedToDisplay() const {
    const double periodMs = displayPeriodMs();
    if (periodMs <= 0.0) {
        return false;
    }
    // The two timestamps a period is measured between are each off by up to kJitterMs; that
    // error, spread over the frames measured, is allowed for beyond what a full measurement has.
    const double unsettledMs =
        2.0 * kJitterMs * (1.0 / framesMeasured() - 1.0 / static_cast<double>(kRateFrames));
    return std::abs(periodMs - intervalMs_) <= kLockTolerance * intervalMs_ + unsettledMs;
}

void StepScheduler::restart(double timestampMs) {
    previousMs_ = timestampMs;
    secondStartMs_ = timestampMs;
    stepsIntoSecond_ = 1; // the step this frame takes
    // The display's rate is measured again from here: a stall is no part of it.
    recentCount_ = 0;
    recentNext_ = 0;
    remember(timestampMs);
}

void StepScheduler::remember(double timestampMs) {
    recentMs_[recentNext_] = timestampMs;
    recentNext_ = (recentNext_ + 1) % static_cast<int>(recentMs_.size());
    if (recentCount_ < static_cast<int>(recentMs_.size())) {
        ++recentCount_;
    }
}

double StepScheduler::displayPeriodMs() const {
    if (framesMeasured() < kFirstRateFrames) {
        return 0.0;
    }
    // Only the two ends count, so the jitter of the frames between cancels out.
    const int size = static_cast<int>(recentMs_.size());
    const int oldest = recentCount_ < size ? 0 : recentNext_;
    const double newestMs = recentMs_[(recentNext_ + size - 1) % size];
    return (newestMs - recentMs_[oldest]) / framesMeasured();
}
