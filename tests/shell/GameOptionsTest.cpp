#include "shell/GameOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using VerticalSync = GameOptions::VerticalSync;

std::string repeated(const std::string& text, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

struct Parsed {
    bool ok = false;
    GameOptions options;
    std::string error;
};

Parsed parse(std::vector<std::string> words, const char* environment = nullptr) {
    words.insert(words.begin(), "spintunnel");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    Parsed parsed;
    parsed.ok = parsed.options.parse(static_cast<int>(words.size()), argv.data(), environment,
                                     parsed.error);
    return parsed;
}

TEST(GameOptions, NoOptionsKeepTheGameAsItAlwaysWas) {
    const Parsed parsed = parse({});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.framesPerSecond, 0);
    EXPECT_EQ(parsed.options.verticalSync, VerticalSync::AsDriverHasIt);
    EXPECT_FALSE(parsed.options.help);
}

struct GoodCase {
    std::vector<std::string> words;
    const char* environment;
    int framesPerSecond;
    VerticalSync verticalSync;
    bool help;
};

class GameOptionsGood : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GameOptionsGood, Reads) {
    const GoodCase& c = GetParam();
    const Parsed parsed = parse(c.words, c.environment);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.framesPerSecond, c.framesPerSecond);
    EXPECT_EQ(parsed.options.verticalSync, c.verticalSync);
    EXPECT_EQ(parsed.options.help, c.help);
}

constexpr auto kDriver = VerticalSync::AsDriverHasIt;

INSTANTIATE_TEST_SUITE_P(
    Cases, GameOptionsGood,
    ::testing::Values(GoodCase{{"--fps", "60"}, nullptr, 60, kDriver, false},
                      GoodCase{{"--fps=144"}, nullptr, 144, kDriver, false},
                      GoodCase{{"--fps", "1"}, nullptr, 1, kDriver, false},
                      GoodCase{{"--fps", "1000"}, nullptr, 1000, kDriver, false},
                      GoodCase{{"--vsync", "on"}, nullptr, 0, VerticalSync::On, false},
                      GoodCase{{"--vsync=off"}, nullptr, 0, VerticalSync::Off, false},
                      GoodCase{
                          {"--vsync", "off", "--fps", "30"}, nullptr, 30, VerticalSync::Off, false},
                      // The later of two choices stands, as with most programs.
                      GoodCase{{"--fps", "30", "--fps", "50"}, nullptr, 50, kDriver, false},
                      GoodCase{{}, "75", 75, kDriver, false}, GoodCase{{}, "", 0, kDriver, false},
                      // The command line wins over the environment.
                      GoodCase{{"--fps", "40"}, "75", 40, kDriver, false},
                      GoodCase{{"--help"}, nullptr, 0, kDriver, true},
                      GoodCase{{"-h", "--fps", "20"}, nullptr, 20, kDriver, true},
                      // GLUT's options pass through for glutInit, values included.
                      GoodCase{{"-display", ":3", "--fps", "60", "-geometry", "800x600+10+10",
                                "-iconic", "-direct", "-indirect", "-gldebug", "-sync"},
                               nullptr,
                               60,
                               kDriver,
                               false},
                      // A GLUT value that looks like one of ours is still GLUT's.
                      GoodCase{{"-display", "--fps"}, nullptr, 0, kDriver, false}));

const std::string kControlBytesInEnvironment = "fas" + std::string(45, '\x0f') + "t";

struct BadCase {
    std::vector<std::string> words;
    const char* environment;
    std::string error;
};

class GameOptionsBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(GameOptionsBad, RefusesWithOneLineNamingIt) {
    const BadCase& c = GetParam();
    const Parsed parsed = parse(c.words, c.environment);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error, c.error);
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GameOptionsBad,
    ::testing::Values(
        BadCase{{"--frames"},
                nullptr,
                "unknown option '--frames' (spintunnel --help lists the options)"},
        BadCase{{"extra"}, nullptr, "unknown option 'extra' (spintunnel --help lists the options)"},
        BadCase{
            {"--fps", "0"}, nullptr, "--fps takes whole frames per second from 1 to 1000, not '0'"},
        BadCase{{"--fps", "-5"},
                nullptr,
                "--fps takes whole frames per second from 1 to 1000, not '-5'"},
        BadCase{{"--fps", "60x"},
                nullptr,
                "--fps takes whole frames per second from 1 to 1000, not '60x'"},
        BadCase{{"--fps", "1001"},
                nullptr,
                "--fps takes whole frames per second from 1 to 1000, not '1001'"},
        BadCase{{"--fps", "99999999999"},
                nullptr,
                "--fps takes whole frames per second from 1 to 1000, not '99999999999'"},
        BadCase{{"--fps", " 60"},
                nullptr,
                "--fps takes whole frames per second from 1 to 1000, not ' 60'"},
        BadCase{{"--fps="}, nullptr, "--fps takes whole frames per second from 1 to 1000, not ''"},
        BadCase{{"--fps"}, nullptr, "--fps needs a value: frames per second, from 1 to 1000"},
        BadCase{{"--vsync", "maybe"}, nullptr, "--vsync takes on or off, not 'maybe'"},
        BadCase{{"--vsync", "ON"}, nullptr, "--vsync takes on or off, not 'ON'"},
        BadCase{{"--vsync"}, nullptr, "--vsync needs a value: on or off"},
        BadCase{{"-geometry"}, nullptr, "-geometry needs a value"},
        BadCase{
            {}, "fast", "SPINTUNNEL_FPS takes whole frames per second from 1 to 1000, not 'fast'"},
        // A bad environment is reported even when the command line would override it: the player
        // should hear about the setting that is not doing what they think.
        BadCase{{"--fps", "60"},
                "0",
                "SPINTUNNEL_FPS takes whole frames per second from 1 to 1000, not '0'"},
        BadCase{{"--replay"}, nullptr, "--replay needs a value: an input file"},
        BadCase{{"--replay="}, nullptr, "--replay needs a value: an input file"},
        BadCase{{"--replay", ""}, nullptr, "--replay needs a value: an input file"},
        BadCase{{"--fullscreen=yes"}, nullptr, "--fullscreen takes no value, not 'yes'"},
        BadCase{{"--full-screen"},
                nullptr,
                "unknown option '--full-screen' (spintunnel --help lists the options)"},
        // Whatever a word holds, the complaint stays one line the terminal shows as it is.
        BadCase{{"--vsync", "on\noff"}, nullptr, "--vsync takes on or off, not 'on\\x0aoff'"},
        BadCase{{"\x1b[2J"},
                nullptr,
                "unknown option '\\x1b[2J' (spintunnel --help lists the options)"},
        // Found by fuzzing: escaping made an excerpt of control bytes four times too long.
        BadCase{{"--vsync", std::string(100, '\x0f')},
                nullptr,
                "--vsync takes on or off, not '" + repeated("\\x0f", 15) + "...'"},
        BadCase{{},
                kControlBytesInEnvironment.c_str(),
                "SPINTUNNEL_FPS takes whole frames per second from 1 to 1000, not 'fas" +
                    repeated("\\x0f", 14) + "...'"},
        BadCase{{std::string(500, 'a')},
                nullptr,
                "unknown option '" + std::string(60, 'a') +
                    "...' (spintunnel --help lists the options)"}));

// --fullscreen and --replay belong to the game's own window; the capture tool, which takes the
// other options through take(), must not take these.
TEST(GameOptions, FullScreenAndReplayAreReadByTheGameOnly) {
    struct Case {
        std::vector<std::string> words;
        bool fullScreen;
        std::string replayPath;
        int framesPerSecond;
    };
    const std::vector<Case> cases = {
        {{"--fullscreen"}, true, "", 0},
        {{"--replay", "game.txt"}, false, "game.txt", 0},
        {{"--replay=game.txt"}, false, "game.txt", 0},
        // A file name that looks like an option is still the file name.
        {{"--replay", "--fps"}, false, "--fps", 0},
        {{"--fullscreen", "--replay", "a.txt", "--fps", "30", "--replay", "b.txt"},
         true,
         "b.txt",
         30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        const Parsed parsed = parse(c.words);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(parsed.options.fullScreen, c.fullScreen);
        EXPECT_EQ(parsed.options.replayPath, c.replayPath);
        EXPECT_EQ(parsed.options.framesPerSecond, c.framesPerSecond);
    }
    EXPECT_FALSE(parse({}).options.fullScreen);
    EXPECT_EQ(parse({}).options.replayPath, "");

    for (const char* word : {"--fullscreen", "--replay"}) {
        SCOPED_TRACE(word);
        std::string name = word;
        std::string file = "game.txt";
        char* argv[] = {name.data(), file.data(), nullptr};
        int i = 0;
        std::string error;
        GameOptions options;
        EXPECT_EQ(options.take(2, argv, i, error), GameOptions::Taken::NotOurs);
        EXPECT_EQ(i, 0);
    }
}

TEST(GameOptions, HelpNamesEveryOptionAndControl) {
    const std::string help = GameOptions::helpText();
    for (const char* word :
         {"--fps N", "--vsync on|off", "--fullscreen", "--replay FILE", "--help", "SPINTUNNEL_FPS",
          "-display", "-geometry", "space", "q ", "exit status 42", "t "}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

} // namespace
