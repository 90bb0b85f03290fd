#include "shell/InputScript.h"

#include "shell/Game.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

bool InputScript::load(const std::string& path, std::string& error) {
    // A directory opens fine as a stream on Linux and then reads as nothing; say what it is.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = "cannot read " + path + ": Is a directory";
        return false;
    }
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<InputEvent> events;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        ParsedInputLine parsed = parseInputLine(line);
        if (!parsed.error.empty()) {
            error = path + ":" + std::to_string(number) + ": " + parsed.error;
            return false;
        }
        if (parsed.event) {
            events.push_back(*parsed.event);
        }
    }
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    // Recordings are already in order; hand-written scripts need not be.
    std::stable_sort(events.begin(), events.end(),
                     [](const InputEvent& a, const InputEvent& b) { return a.frame < b.frame; });
    events_ = std::move(events);
    next_ = 0;
    return true;
}

void InputScript::applyBefore(std::int32_t frame, Game& game) {
    while (next_ < events_.size() && events_[next_].frame <= frame) {
        game.handle(events_[next_]);
        ++next_;
    }
}
