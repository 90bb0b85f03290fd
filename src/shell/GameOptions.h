#pragma once

#include <string>

// What the player chose on the command line, or in SPINTUNNEL_FPS. With no choice at all the game
// runs as it always has: frames back to back, vertical sync as the driver has it.
struct GameOptions {
    enum class VerticalSync { AsDriverHasIt, On, Off };
    enum class Taken { NotOurs, Taken, Bad };

    static constexpr int kUsageStatus = 2;

    int framesPerSecond = 0; // 0: no pacing
    VerticalSync verticalSync = VerticalSync::AsDriverHasIt;
    bool help = false;
    bool fullScreen = false;
    std::string replayPath; // empty: no replay

    // If argv[i] is --fps or --vsync, reads it with its value (the next word, or after '=') and
    // moves i onto the last word it used. A bad value gives Bad and a one-line error naming it.
    Taken take(int argc, char* const* argv, int& i, std::string& error);

    // SPINTUNNEL_FPS; null or empty means not set. The command line, read afterwards, wins.
    bool takeFramesPerSecondFrom(const char* environmentValue, std::string& error);

    // The game's whole command line: its own options, --help, --fullscreen and --replay (which only
    // the game itself takes), and GLUT's options, which are left for glutInit. Anything else is an
    // error.
    bool parse(int argc, char* const* argv, const char* framesPerSecondFromEnvironment,
               std::string& error);

    static const char* helpText();
};
