// libFuzzer target: any command line. The input is the words after the program's name, separated
// by NUL bytes; a first word "SPINTUNNEL_FPS=VALUE" stands for that environment variable instead.
// Whatever the words, parsing must not exit, print, crash, leak or run into undefined behaviour; a
// refusal is one printable line; and what is accepted is within the options' ranges.

#include "FuzzChecks.h"
#include "shell/FramePacer.h"
#include "shell/GameOptions.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kEnvironmentPrefix = "SPINTUNNEL_FPS=";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words = {"spintunnel"};
    std::string environment;
    bool hasEnvironment = false;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\0');
        const std::string_view word = rest.substr(0, end);
        if (words.size() == 1 && !hasEnvironment && word.starts_with(kEnvironmentPrefix)) {
            environment = word.substr(kEnvironmentPrefix.size());
            hasEnvironment = true;
        } else {
            words.emplace_back(word);
        }
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    GameOptions options;
    std::string error;
    const bool accepted = options.parse(static_cast<int>(words.size()), argv.data(),
                                        hasEnvironment ? environment.c_str() : nullptr, error);
    require(accepted == error.empty(), "an error message exactly when the line is refused");
    if (!accepted) {
        require(isOnePrintableLine(error), "a refusal is one line of printable text");
        require(error.size() < 200, "a refusal is short whatever the words held");
        return 0;
    }
    require(options.framesPerSecond == 0 ||
                (options.framesPerSecond >= FramePacer::kMinFramesPerSecond &&
                 options.framesPerSecond <= FramePacer::kMaxFramesPerSecond),
            "frames per second within range");
    return 0;
}
