#pragma once

#include "shell/InputEvent.h"

#include <cstddef>
#include <string>
#include <vector>

class Game;

// A scripted game: input events read from a file, handed to the game's own handlers just before
// the frames they are stamped with.
class InputScript {
public:
    // Reads the file; on failure returns false and sets error to a one-line message that names the
    // file and, for a malformed line, its line number.
    bool load(const std::string& path, std::string& error);

    // Hands every event stamped `frame` to the game, in file order. Call once per frame, in order.
    void applyBefore(std::int32_t frame, Game& game);

    const std::vector<InputEvent>& events() const { return events_; }

private:
    std::vector<InputEvent> events_; // ordered by frame, file order within a frame
    std::size_t next_ = 0;
};
