#pragma once

#include <chrono>
#include <cstdint>

// Holds the game to a chosen number of frames per second. Each frame's deadline is worked out from
// the start of the schedule, never from the frame before, so rounding and late wake-ups do not add
// up; a frame that is already late is drawn at once and the schedule starts again from it, so a
// stall is never followed by a burst of catch-up frames.
class FramePacer {
public:
    using Nanoseconds = std::chrono::nanoseconds;

    static constexpr int kMinFramesPerSecond = 1;
    static constexpr int kMaxFramesPerSecond = 1000;

    // Where the pacer reads the time and waits. Tests hand in a clock of their own.
    class Clock {
    public:
        virtual ~Clock() = default;
        virtual Nanoseconds now() = 0;
        virtual void sleepUntil(Nanoseconds deadline) = 0;
    };

    // The machine's steady clock: never set back, unaffected by changes of the wall-clock time.
    class SteadyClock : public Clock {
    public:
        Nanoseconds now() override;
        void sleepUntil(Nanoseconds deadline) override;
    };

    // framesPerSecond from kMinFramesPerSecond to kMaxFramesPerSecond. The clock must outlive the
    // pacer.
    FramePacer(int framesPerSecond, Clock& clock);

    // Returns when the next frame is due: at once for the first frame and for a late one.
    void waitForFrame();

    // How many frames came after their deadline and started the schedule again.
    std::uint64_t overruns() const { return overruns_; }

private:
    Clock& clock_; // not owned
    std::int64_t framesPerSecond_;
    bool started_ = false;
    Nanoseconds secondStart_{};         // when the schedule's current whole second began
    std::int64_t framesIntoSecond_ = 0; // 0 .. framesPerSecond_ - 1
    std::uint64_t overruns_ = 0;
};
