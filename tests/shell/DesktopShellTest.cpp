#include "shell/DesktopShell.h"

#include "GameFixture.h"
#include "scene/GameState.h"
#include "shell/Game.h"
#include "shell/GameOptions.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// runGame keeps its world in statics and never returns from a game, so each game here is played in
// a fresh copy of this program (a death test) that reports back through its exit status, its
// standard error and the files it leaves.
namespace {

namespace fs = std::filesystem;

// Named after the test program, so the plain and the sanitized suite never share a file.
fs::path besideProgram(const std::string& suffix) {
    return fs::read_symlink("/proc/self/exe").string() + suffix;
}

std::vector<std::string> readLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

int startGame(std::vector<std::string> words) {
    words.insert(words.begin(), "spintunnel");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return runGame(static_cast<int>(words.size()), argv.data());
}

void sayFramesDrawnAtExit() {
    std::fprintf(stderr, "frames drawn: %d\n", frameCount);
}

// A replayed event reaches the game by the live input's own path: it is recorded as the player's
// would be, stamped with its frame, while the player's own input still comes through between them;
// the recording's quit key ends the game before the frame it is stamped with.
TEST(Replay, EventsTakeTheLiveInputPathAndTheQuitKeyEndsTheGameAtItsFrame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path replayed = besideProgram(".replayed.txt");
    const fs::path recording = besideProgram(".replay-recording.txt");
    writeFile(replayed,
              "# spintunnel input recording: FRAME EVENT, replay with spintunnel-capture\n"
              "1 motion 320 240\n"
              "3 key z\n"
              "3 special down\n"
              "4 mouse left down 300 250\n"
              "5 key q\n"
              "9 key x\n");
    fs::remove(recording);
    const auto play = [&] {
        ::setenv("SPINTUNNEL_RECORD", recording.c_str(), 1);
        resetGameState();
        std::atexit(sayFramesDrawnAtExit);
        startGame({"--replay", replayed.string()});
        const gltest::GlutCallbacks callbacks = gltest::glutCallbacks();
        if (callbacks.idle == nullptr || callbacks.keyboard == nullptr) {
            std::_Exit(1);
        }
        callbacks.idle();              // frame 1
        callbacks.keyboard('t', 0, 0); // the player, before frame 2
        for (int i = 0; i < 20; ++i) { // the recording's q comes before frame 5
            callbacks.idle();
        }
        std::_Exit(2); // the quit key did not end the game
    };
    EXPECT_EXIT(play(), ::testing::ExitedWithCode(Game::kQuitStatus), "frames drawn: 4\n");

    std::vector<std::string> lines = readLines(recording);
    fs::remove(recording);
    fs::remove(replayed);
    const std::vector<std::string> expected = {
        "# spintunnel input recording: FRAME EVENT, replay with spintunnel-capture",
        "1 motion 320 240",
        "2 key t",
        "3 key z",
        "3 special down",
        "4 mouse left down 300 250",
        "5 key q",
    };
    EXPECT_EQ(lines, expected);
}

// A file that cannot be replayed costs no window: one line naming the file (and the line at fault)
// and the usage status.
TEST(Replay, UnreadableFileIsRefusedBeforeTheWindowOpens) {
    const fs::path malformed = besideProgram(".malformed-replay.txt");
    writeFile(malformed, "10 key z\n11 key zz\n");
    const fs::path missing = besideProgram(".no-such-replay.txt");
    fs::remove(missing);
    struct Case {
        fs::path path;
        std::string said;
    };
    const std::vector<Case> cases = {
        {malformed, "spintunnel: " + malformed.string() + ":2: unknown key 'zz'\n"},
        {missing, "spintunnel: cannot read " + missing.string() + ": No such file or directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        resetGameState();
        ::testing::internal::CaptureStderr();
        const int status = startGame({"--replay", c.path.string()});
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.said);
        EXPECT_EQ(status, GameOptions::kUsageStatus);
        EXPECT_EQ(gltest::count("glutInit"), 0u);
        EXPECT_EQ(gltest::count("glutCreateWindow"), 0u);
    }
    fs::remove(malformed);
}

// Full screen is asked for once the window exists; the window's reshape then sets the viewport
// and projection for the screen as for any other size.
TEST(FullScreen, IsAskedForAfterTheWindowOpensAndOnlyWithTheOption) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto play = [](bool fullScreen) {
        resetGameState();
        ::unsetenv("SPINTUNNEL_RECORD");
        startGame(fullScreen ? std::vector<std::string>{"--fullscreen"}
                             : std::vector<std::string>{});
        std::size_t window = 0;
        std::size_t full = 0;
        const auto& calls = gltest::calls();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const std::string name = calls[i].name;
            window = name == "glutCreateWindow" ? i + 1 : window;
            full = name == "glutFullScreen" ? i + 1 : full;
        }
        const std::size_t asked = gltest::count("glutFullScreen");
        if (window == 0) {
            std::_Exit(10);
        }
        if (!fullScreen) {
            std::_Exit(asked == 0 ? 0 : 11);
        }
        std::_Exit(asked == 1 && full > window ? 0 : 12);
    };
    EXPECT_EXIT(play(true), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(play(false), ::testing::ExitedWithCode(0), "");
}

} // namespace
