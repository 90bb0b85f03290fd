#include "shell/GameOptions.h"

#include "shell/FramePacer.h"
#include "shell/PrintableExcerpt.h"

#include <array>
#include <charconv>
#include <string_view>

namespace {

struct GlutOption {
    std::string_view name;
    bool takesValue;
};

// What glutInit takes off the command line itself; the game lets these through untouched.
constexpr std::array<GlutOption, 7> kGlutOptions = {{
    {"-display", true},
    {"-geometry", true},
    {"-direct", false},
    {"-indirect", false},
    {"-iconic", false},
    {"-gldebug", false},
    {"-sync", false},
}};

const GlutOption* findGlutOption(std::string_view word) {
    for (const GlutOption& option : kGlutOptions) {
        if (option.name == word) {
            return &option;
        }
    }
    return nullptr;
}

bool readFramesPerSecond(std::string_view text, int& framesPerSecond) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || rest != end || value < FramePacer::kMinFramesPerSecond ||
        value > FramePacer::kMaxFramesPerSecond) {
        return false;
    }
    framesPerSecond = value;
    return true;
}

std::string badFramesPerSecond(std::string_view source, std::string_view text) {
    return std::string(source) + " takes whole frames per second from " +
           std::to_string(FramePacer::kMinFramesPerSecond) + " to " +
           std::to_string(FramePacer::kMaxFramesPerSecond) + ", not '" + printableExcerpt(text) +
           "'";
}

// The options that only the game's own window takes; the capture tool has its own window and input.
GameOptions::Taken takeWindowOption(int argc, char* const* argv, int& i, GameOptions& options,
                                    std::string& error) {
    const std::string_view word = argv[i];
    if (word == "--fullscreen") {
        options.fullScreen = true;
        return GameOptions::Taken::Taken;
    }
    if (word.starts_with("--fullscreen=")) {
        error = "--fullscreen takes no value, not '" + printableExcerpt(word.substr(13)) + "'";
        return GameOptions::Taken::Bad;
    }
    std::string_view path;
    if (word == "--replay") {
        if (i + 1 >= argc) {
            error = "--replay needs a value: an input file";
            return GameOptions::Taken::Bad;
        }
        path = argv[++i];
    } else if (word.starts_with("--replay=")) {
        path = word.substr(9);
    } else {
        return GameOptions::Taken::NotOurs;
    }
    if (path.empty()) {
        error = "--replay needs a value: an input file";
        return GameOptions::Taken::Bad;
    }
    options.replayPath = path;
    return GameOptions::Taken::Taken;
}

} // namespace

GameOptions::Taken GameOptions::take(int argc, char* const* argv, int& i, std::string& error) {
    std::string_view word = argv[i];
    std::string_view name = word;
    std::string_view value;
    bool hasValue = false;
    if (const std::size_t equals = word.find('='); word.starts_with("--") && equals != word.npos) {
        name = word.substr(0, equals);
        value = word.substr(equals + 1);
        hasValue = true;
    }
    if (name != "--fps" && name != "--vsync") {
        return Taken::NotOurs;
    }
    if (!hasValue) {
        if (i + 1 >= argc) {
            error = name == "--fps" ? "--fps needs a value: frames per second, from 1 to 1000"
                                    : "--vsync needs a value: on or off";
            return Taken::Bad;
        }
        value = argv[++i];
    }
    if (name == "--fps") {
        if (!readFramesPerSecond(value, framesPerSecond)) {
            error = badFramesPerSecond("--fps", value);
            return Taken::Bad;
        }
    } else if (value == "on" || value == "off") {
        verticalSync = value == "on" ? VerticalSync::On : VerticalSync::Off;
    } else {
        error = "--vsync takes on or off, not '" + printableExcerpt(value) + "'";
        return Taken::Bad;
    }
    return Taken::Taken;
}

bool GameOptions::takeFramesPerSecondFrom(const char* environmentValue, std::string& error) {
    if (environmentValue == nullptr || *environmentValue == '\0') {
        return true;
    }
    if (!readFramesPerSecond(environmentValue, framesPerSecond)) {
        error = badFramesPerSecond("SPINTUNNEL_FPS", environmentValue);
        return false;
    }
    return true;
}

bool GameOptions::parse(int argc, char* const* argv, const char* framesPerSecondFromEnvironment,
                        std::string& error) {
    if (!takeFramesPerSecondFrom(framesPerSecondFromEnvironment, error)) {
        return false;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help" || word == "-h") {
            help = true;
            continue;
        }
        Taken taken = take(argc, argv, i, error);
        if (taken == Taken::NotOurs) {
            taken = takeWindowOption(argc, argv, i, *this, error);
        }
        switch (taken) {
        case Taken::Taken:
            continue;
        case Taken::Bad:
            return false;
        case Taken::NotOurs:
            break;
        }
        if (const GlutOption* glut = findGlutOption(word)) {
            if (glut->takesValue && ++i >= argc) {
                error = printableExcerpt(word) + " needs a value";
                return false;
            }
            continue;
        }
        error =
            "unknown option '" + printableExcerpt(word) + "' (spintunnel --help lists the options)";
        return false;
    }
    return true;
}

const char* GameOptions::helpText() {
    return "usage: spintunnel [--fps N] [--vsync on|off] [--fullscreen] [--replay FILE]\n"
           "                  [GLUT options]\n"
           "\n"
           "Spin the tunnel and shoot the orbs that stream towards you.\n"
           "\n"
           "options:\n"
           "  --fps N         take N steps a second, from 1 to 1000, whatever the machine draws;\n"
           "                  also SPINTUNNEL_FPS=N. Without it the game takes one step per drawn\n"
           "                  frame, so its speed follows the frame rate\n"
           "  --vsync on|off  ask the driver to wait, or not, for the display's refresh at each\n"
           "                  swap (without it the driver decides)\n"
           "  --fullscreen    take the whole screen\n"
           "  --replay FILE   play the inputs recorded in FILE at the frames they came before;\n"
           "                  the player can join in and takes over after the last one\n"
           "  --help          show this and exit\n"
           "  GLUT's own options work too: -display NAME, -geometry WxH+X+Y, -iconic, -direct,\n"
           "  -indirect, -gldebug, -sync\n"
           "\n"
           "controls:\n"
           "  left arrow, z        spin the world counter-clockwise, 7 degrees a frame\n"
           "  right arrow, x       spin the world clockwise\n"
           "  down arrow, c        stop spinning\n"
           "  mouse left, right    turn the world directly, 1 degree per pixel\n"
           "  space, left button   fire\n"
           "  t                    texturing on or off\n"
           "  q                    quit (exit status 42)\n"
           "\n"
           "SPINTUNNEL_RECORD=FILE records every input to FILE for replay.\n";
}
