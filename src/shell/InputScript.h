#pragma once

#include "shell/InputEvent.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Game;

// A scripted game: input events read from a file, handed to the game's own handlers just before
// the frames they are stamped with.
class InputScript {
public:
    // A recording of hours of play is a few megabytes. The text, and the events read from it, are
    // held in memory whole, so a file far beyond that is refused rather than read.
    static constexpr std::size_t kMaxBytes = 64 * 1024 * 1024;

    // Reads the file; on failure returns false and sets error to a one-line message that names the
    // file and, for a malformed line, its line number.
    bool load(const std::string& path, std::string& error);

    // Reads a whole input file's text, named `name` in messages; otherwise as load. On failure the
    // events held before are kept.
    bool parse(std::string_view text, const std::string& name, std::string& error);

    // Hands every event stamped `frame` or earlier to the game, in file order. Call once per frame,
    // in order.
    void applyBefore(std::int32_t frame, Game& game);
    // The same, through a handler of the caller's, such as the live game's own input path.
    void applyBefore(std::int32_t frame, const std::function<void(const InputEvent&)>& handle);

    const std::vector<InputEvent>& events() const { return events_; }
    // True once every event has been handed on.
    bool finished() const { return next_ >= events_.size(); }

private:
    std::vector<InputEvent> events_; // ordered by frame, file order within a frame
    std::size_t next_ = 0;
};
