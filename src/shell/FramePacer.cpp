#include "shell/FramePacer.h"

#include <thread>

namespace {
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
}

FramePacer::Nanoseconds FramePacer::SteadyClock::now() {
    return std::chrono::duration_cast<Nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void FramePacer::SteadyClock::sleepUntil(Nanoseconds deadline) {
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(deadline)));
}

FramePacer::FramePacer(int framesPerSecond, Clock& clock)
    : clock_(clock), framesPerSecond_(framesPerSecond) {}

void FramePacer::waitForFrame() {
    if (!started_) {
        started_ = true;
        secondStart_ = clock_.now();
        return;
    }
    // Whole seconds are folded into the start, so the count stays small however long the game
    // runs, and N frames of a second end exactly one second after it began.
    if (++framesIntoSecond_ == framesPerSecond_) {
        framesIntoSecond_ = 0;
        secondStart_ += std::chrono::seconds(1);
    }
    const Nanoseconds deadline =
        secondStart_ + Nanoseconds(framesIntoSecond_ * kNanosecondsPerSecond / framesPerSecond_);
    const Nanoseconds now = clock_.now();
    if (now > deadline) {
        ++overruns_;
        secondStart_ = now;
        framesIntoSecond_ = 0;
        return;
    }
    clock_.sleepUntil(deadline);
}
