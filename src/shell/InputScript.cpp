#include "shell/InputScript.h"

#include "shell/Game.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace {

std::string tooBig(const std::string& name) {
    return name + ": more than " + std::to_string(InputScript::kMaxBytes / (1024 * 1024)) +
           " MiB, too big for an input file";
}

} // namespace

bool InputScript::load(const std::string& path, std::string& error) {
    // A directory opens fine as a stream on Linux and then reads as nothing; say what it is.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = "cannot read " + path + ": Is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    // Read in pieces and stop one piece past the limit, so a huge file, a pipe or a file that keeps
    // growing is never read whole.
    constexpr std::size_t kPieceBytes = 64 * 1024;
    std::string text;
    std::vector<char> piece(kPieceBytes); // not on the stack, which is small in the browser
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        text.append(piece.data(), static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxBytes) {
            error = tooBig(path);
            return false;
        }
    }
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return parse(text, path, error);
}

bool InputScript::parse(std::string_view text, const std::string& name, std::string& error) {
    if (text.size() > kMaxBytes) {
        error = tooBig(name);
        return false;
    }
    std::vector<InputEvent> events;
    std::size_t at = 0;
    // Lines as getline reads them: a last line needs no newline, and a final newline starts none.
    for (int number = 1; at < text.size(); ++number) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        ParsedInputLine parsed = parseInputLine(text.substr(at, end - at));
        if (!parsed.error.empty()) {
            error = name + ":" + std::to_string(number) + ": " + parsed.error;
            return false;
        }
        if (parsed.event) {
            events.push_back(*parsed.event);
        }
        at = end + 1;
    }
    // Recordings are already in order; hand-written scripts need not be.
    std::stable_sort(events.begin(), events.end(),
                     [](const InputEvent& a, const InputEvent& b) { return a.frame < b.frame; });
    events_ = std::move(events);
    next_ = 0;
    return true;
}

void InputScript::applyBefore(std::int32_t frame, Game& game) {
    applyBefore(frame, [&game](const InputEvent& event) { game.handle(event); });
}

void InputScript::applyBefore(std::int32_t frame,
                              const std::function<void(const InputEvent&)>& handle) {
    while (next_ < events_.size() && events_[next_].frame <= frame) {
        // Moved on first: the handler may be the quit key's, which never returns.
        const InputEvent& event = events_[next_++];
        handle(event);
    }
}
