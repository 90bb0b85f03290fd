#pragma once

#include "shell/InputRecorder.h"
#include "shell/InputScript.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

class Game;

// The page's keeping and watching of games. Every input the game takes, live or replayed, is
// written to a recording in the in-memory file system, stamped with its frame exactly as the
// desktop recorder stamps it, so the page can hand the recording on and a replay of it records the
// same file again. A replay is stepped at the speed the viewer picks, can be paused, and can jump
// ahead to a frame; once its last event is in, the game is the player's again.
class WebReplay {
public:
    static constexpr int kMaxSpeed = 8; // game steps per ordinary step
    // Further from the canvas than any pointer on any screen: a replayed position beyond it is
    // one no player could have made.
    static constexpr int kReachablePixels = 1 << 16;
    // A jump steps back to back for at most this long in one animation frame, so the page still
    // answers while it catches up.
    static constexpr std::chrono::milliseconds kJumpSlice{50};

    // Starts the recording at path; false, with a one-line message, when it cannot be written.
    bool startRecording(const std::string& path, std::string& error);
    InputRecorder& recorder() { return recorder_; }

    // Reads a replay, checking each line with the game's own parser and each position against what
    // a pointer can reach; false, with a one-line message, on the first fault.
    bool load(const std::string& path, std::string& error);

    // One animation frame: normalSteps game steps times the speed, none while paused, or during a
    // jump as many as fit in kJumpSlice. Never steps past the stop frame or a jump's target, and
    // ends the replay in the step that applies its last event.
    void animationFrame(int normalSteps, Game& game);

    // True from the start of a replay until the frame of its last event has been drawn.
    bool replaying() const;
    std::int32_t lastFrame() const { return lastFrame_; }

    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    // 1 up to kMaxSpeed; anything else is ignored.
    void setSpeed(int speed);
    int speed() const { return speed_; }
    // Steps ahead to frame, then pauses there. A frame not ahead of the game is ignored: going back
    // means starting the replay again.
    void jumpTo(std::int32_t frame);
    std::int32_t jumpTarget() const { return jumpTarget_; }
    // True once after a jump has arrived, for the page to keep that frame's picture.
    bool takeArrival();
    // No step goes past this frame; 0 for none.
    void stopAt(std::int32_t frame) { stopFrame_ = frame; }

private:
    // The replay's events for the coming frame, through the live game's own input path (stamped,
    // recorded, handled), then the frame routine.
    void step(Game& game);
    bool atStop() const;

    InputRecorder recorder_;
    InputScript script_;
    std::int32_t lastFrame_ = 0;
    bool paused_ = false;
    int speed_ = 1;
    std::int32_t jumpTarget_ = 0; // 0 while not jumping
    bool arrived_ = false;
    std::int32_t stopFrame_ = 0;
};

// The page's one instance, which the page's controls reach through the functions ReplayControls.cpp
// exports.
WebReplay& webReplay();
