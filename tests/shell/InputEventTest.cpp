#include "shell/InputEvent.h"
#include "shell/InputRecorder.h"
#include "shell/InputScript.h"
#include "shell/PrintableExcerpt.h"

#include "GameFixture.h"
#include "scene/GameState.h"
#include "shell/DesktopShell.h"
#include "shell/Game.h"
#include "shell/Shell.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

InputEvent key(std::int32_t frame, int code) {
    return {frame, InputEvent::Kind::Key, code, 0, 0, 0};
}
InputEvent special(std::int32_t frame, int code) {
    return {frame, InputEvent::Kind::Special, code, 0, 0, 0};
}
InputEvent mouse(std::int32_t frame, int button, int state, int x, int y) {
    return {frame, InputEvent::Kind::Mouse, button, state, x, y};
}
InputEvent motion(std::int32_t frame, int x, int y) {
    return {frame, InputEvent::Kind::Motion, 0, 0, x, y};
}

std::string repeated(const std::string& text, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

std::vector<std::string> readLines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A folder of its own for each test, so runs of the plain and sanitized suites never meet.
class InputFilesTest : public GameStateTest {
protected:
    void SetUp() override {
        GameStateTest::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(::testing::TempDir()) /
                  ("spintunnel-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path write(const std::string& name, const std::string& text) const {
        const fs::path path = folder_ / name;
        std::ofstream(path) << text;
        return path;
    }

    fs::path folder_;
};

// Every line a recording can contain reads back as the event it was written from, and each event
// has exactly one spelling, so a recording replays the game that was played.
TEST(InputEventText, EveryKindOfEventSurvivesTheRoundTrip) {
    struct Case {
        const char* line;
        InputEvent event;
    };
    const std::array<Case, 19> cases{{
        {"1 key z", key(1, 'z')},
        {"12 key space", key(12, ' ')},
        {"7 key !", key(7, '!')},
        {"7 key ~", key(7, '~')},
        {"3 key 0x1b", key(3, 27)}, // escape
        {"4 key 0x7f", key(4, 127)},
        {"4 key 0x00", key(4, 0)},
        {"4 key 0xe9", key(4, 0xe9)}, // a key of a non-English keyboard
        // '#' begins a comment wherever it stands, so the key itself can only be written in hex.
        {"5 key 0x23", key(5, '#')},
        {"8 special left", special(8, GLUT_KEY_LEFT)},
        {"8 special right", special(8, GLUT_KEY_RIGHT)},
        {"8 special up", special(8, GLUT_KEY_UP)},
        {"8 special down", special(8, GLUT_KEY_DOWN)},
        {"9 special 1", special(9, GLUT_KEY_F1)},
        {"10 mouse left down 320 240", mouse(10, GLUT_LEFT_BUTTON, GLUT_DOWN, 320, 240)},
        {"10 mouse middle up 0 0", mouse(10, GLUT_MIDDLE_BUTTON, GLUT_UP, 0, 0)},
        {"11 mouse right down -5 700", mouse(11, GLUT_RIGHT_BUTTON, GLUT_DOWN, -5, 700)},
        {"11 mouse 3 down 10 20", mouse(11, 3, GLUT_DOWN, 10, 20)}, // the wheel
        {"2147483647 motion -20 479", motion(2147483647, -20, 479)},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedInputLine parsed = parseInputLine(c.line);
        EXPECT_EQ(parsed.error, "");
        ASSERT_TRUE(parsed.event.has_value());
        EXPECT_EQ(*parsed.event, c.event);
        EXPECT_EQ(formatInputEvent(c.event), c.line);
    }
}

// Scripts are written by hand: spacing, tabs, Windows line ends and trailing comments are fine.
TEST(InputEventText, HandWrittenSpacingAndCommentsReadTheSame) {
    struct Case {
        const char* line;
        InputEvent event;
    };
    const std::array<Case, 5> cases{{
        {"  40   key   x  ", key(40, 'x')},
        {"40\tkey\tx", key(40, 'x')},
        {"40 key x\r", key(40, 'x')},
        {"40 key x # spin clockwise", key(40, 'x')},
        {"40 motion 3 4#no space before the comment", motion(40, 3, 4)},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedInputLine parsed = parseInputLine(c.line);
        EXPECT_EQ(parsed.error, "");
        ASSERT_TRUE(parsed.event.has_value());
        EXPECT_EQ(*parsed.event, c.event);
    }
}

TEST(InputEventText, BlankAndCommentLinesHoldNoEventAndNoError) {
    for (const char* line : {"", "   ", "\t", "\r", "# a comment", "   # indented comment"}) {
        SCOPED_TRACE(::testing::Message() << "'" << line << "'");
        const ParsedInputLine parsed = parseInputLine(line);
        EXPECT_FALSE(parsed.event.has_value());
        EXPECT_EQ(parsed.error, "");
    }
}

TEST(InputEventText, MalformedLinesSayWhatIsWrong) {
    struct Case {
        const char* line;
        const char* error;
    };
    const std::array<Case, 24> cases{{
        {"key z", "frame must be a whole number from 1 up, not 'key'"},
        {"0 key z", "frame must be a whole number from 1 up, not '0'"},
        {"-3 key z", "frame must be a whole number from 1 up, not '-3'"},
        {"1.5 key z", "frame must be a whole number from 1 up, not '1.5'"},
        {"99999999999 key z", "frame must be a whole number from 1 up, not '99999999999'"},
        {"5", "expected FRAME and an event"},
        {"5 jump", "unknown event 'jump'"},
        {"5 Key z", "unknown event 'Key'"},
        {"5 key", "key takes one character"},
        {"5 key a b", "key takes one character"},
        {"5 key #", "key takes one character"}, // the '#' starts a comment
        {"5 key ab", "unknown key 'ab'"},
        {"5 key 0xZZ", "unknown key '0xZZ'"},
        {"5 key 0x-1", "unknown key '0x-1'"},
        {"5 key 0x100", "unknown key '0x100'"},
        {"5 key \xe9", "unknown key '\xe9'"},
        {"5 special", "special takes one key: left, right, up or down"},
        {"5 special home", "unknown special key 'home'"},
        {"5 mouse left down 1", "mouse takes a button, down or up, X and Y"},
        {"5 mouse left press 1 2", "mouse takes a button, down or up, X and Y"},
        {"5 mouse thumb down 1 2", "mouse takes a button, down or up, X and Y"},
        {"5 mouse left down x 2", "mouse takes a button, down or up, X and Y"},
        {"5 motion 1", "motion takes X and Y"},
        {"5 motion 1 2 3", "motion takes X and Y"},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedInputLine parsed = parseInputLine(c.line);
        EXPECT_EQ(parsed.error, c.error);
        EXPECT_FALSE(parsed.event.has_value());
    }
}

using InputScriptTest = InputFilesTest;

TEST_F(InputScriptTest, RefusesWhatItCannotReadNamingTheFile) {
    struct Case {
        const char* what;
        fs::path path;
        std::string error;
    };
    const fs::path missing = folder_ / "missing.txt";
    const std::array<Case, 2> cases{{
        {"a missing file", missing,
         "cannot read " + missing.string() + ": No such file or directory"},
        {"a folder", folder_, "cannot read " + folder_.string() + ": Is a directory"},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InputScript script;
        std::string error;
        EXPECT_FALSE(script.load(c.path.string(), error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(script.events().empty());
    }
}

// Comment and blank lines count, so the number points at the line an editor shows.
TEST_F(InputScriptTest, MalformedLineIsReportedWithFileAndLineNumber) {
    const fs::path path = write("script.txt", "# aim, then fire\n"
                                              "\n"
                                              "10 motion -86 0\n"
                                              "11 key space\n"
                                              "12 mouse left click 3 4\n"
                                              "13 key q\n");
    InputScript script;
    std::string error;

    EXPECT_FALSE(script.load(path.string(), error));

    EXPECT_EQ(error, path.string() + ":5: mouse takes a button, down or up, X and Y");
}

TEST_F(InputScriptTest, EventsAreOrderedByFrameKeepingFileOrderWithinAFrame) {
    const fs::path path = write("script.txt", "30 key x\n"
                                              "10 motion 5 0\n"
                                              "# same frame as the next two, written apart\n"
                                              "20 key z\n"
                                              "10 key space\n"
                                              "10 motion 9 0\n");
    InputScript script;
    std::string error;

    ASSERT_TRUE(script.load(path.string(), error)) << error;

    const std::vector<InputEvent> expected = {motion(10, 5, 0), key(10, ' '), motion(10, 9, 0),
                                              key(20, 'z'), key(30, 'x')};
    EXPECT_EQ(script.events(), expected);
}

// The mouse turns the world by the distance since the previous event, so only the right events in
// the right order leave spinAngle and lastMouseX where these expectations put them.
TEST_F(InputScriptTest, HandsEachFramesEventsToTheGameBeforeThatFrame) {
    const fs::path path = write("script.txt", "5 motion 30 0\n"
                                              "3 motion 10 0\n"
                                              "5 motion 20 0\n"
                                              "9 motion 100 0\n");
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.load(path.string(), error)) << error;
    Game game;

    struct Step {
        std::int32_t frame;
        float spinAngle;
        std::int32_t lastMouseX;
    };
    const std::array<Step, 5> steps{{
        {1, 0.0f, 0},    // nothing stamped yet
        {3, -10.0f, 10}, // 0 -> 10
        {4, -10.0f, 10}, // nothing stamped 4
        {5, -20.0f, 20}, // 10 -> 30 -> 20: file order within the frame
        {8, -20.0f, 20}, // frame 9's event waits for frame 9
    }};
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "before frame " << step.frame);
        script.applyBefore(step.frame, game);
        EXPECT_EQ(spinAngle, step.spinAngle);
        EXPECT_EQ(lastMouseX, step.lastMouseX);
    }
}

// Text from memory, such as a link, reads exactly as the same text from a file, with the same line
// numbers in its messages.
TEST_F(InputScriptTest, TextInMemoryReadsAsTheSameFileWould) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<InputEvent> events;
        std::string error; // with NAME standing for the name or path
    };
    const std::vector<Case> cases = {
        {"no last newline", "20 key z\n10 key x", {key(10, 'x'), key(20, 'z')}, ""},
        {"a final newline starts no line", "10 key x\n", {key(10, 'x')}, ""},
        {"empty", "", {}, ""},
        {"blank lines count", "\n\n\n5 jump\n", {}, "NAME:4: unknown event 'jump'"},
        {"a NUL inside a word",
         std::string("5 key a\0b\n", 10),
         {},
         "NAME:1: unknown key 'a\\x00b'"},
        {"a line of Windows text", "10 key x\r\n11 key z\r\n", {key(10, 'x'), key(11, 'z')}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = write("script.txt", c.text);
        const auto named = [&c](const std::string& name) {
            std::string error = c.error;
            if (const std::size_t at = error.find("NAME"); at != std::string::npos) {
                error.replace(at, 4, name);
            }
            return error;
        };
        InputScript fromText;
        std::string textError;
        EXPECT_EQ(fromText.parse(c.text, "link", textError), c.error.empty());
        EXPECT_EQ(textError, named("link"));
        EXPECT_EQ(fromText.events(), c.events);

        InputScript fromFile;
        std::string fileError;
        EXPECT_EQ(fromFile.load(path.string(), fileError), c.error.empty());
        EXPECT_EQ(fileError, named(path.string()));
        EXPECT_EQ(fromFile.events(), c.events);
    }
}

// A hostile file can neither make the game hold it whole in memory nor put control characters or
// a whole file's worth of text into the one-line message a terminal shows.
TEST_F(InputScriptTest, RefusesWhatNoRecordingLooksLike) {
    const std::string tooBig = "more than 64 MiB, too big for an input file";
    {
        const std::string text(InputScript::kMaxBytes + 1, ' ');
        InputScript script;
        std::string error;
        EXPECT_FALSE(script.parse(text, "link", error));
        EXPECT_EQ(error, "link: " + tooBig);
        // At the limit itself it is one blank line.
        EXPECT_TRUE(script.parse(std::string_view(text).substr(1), "link", error)) << error;
    }
    {
        // Sparse: the file system holds no data for it, but it reads as that many zero bytes.
        const fs::path path = folder_ / "huge.txt";
        std::ofstream(path).close();
        fs::resize_file(path, InputScript::kMaxBytes + 1);
        InputScript script;
        std::string error;
        EXPECT_FALSE(script.load(path.string(), error));
        EXPECT_EQ(error, path.string() + ": " + tooBig);
    }
    struct Case {
        std::string line;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"5 key \x1b[2J", "link:1: unknown key '\\x1b[2J'"},
        {"5 \x1b]0;title\x07 1", "link:1: unknown event '\\x1b]0;title\\x07'"},
        {"5 special " + std::string(1000, 'x'),
         "link:1: unknown special key '" + std::string(kExcerptBytes, 'x') + "...'"},
        // Found by fuzzing: escaping made an excerpt of control bytes four times too long.
        {"5 key " + std::string(100, '\x0f'),
         "link:1: unknown key '" + repeated("\\x0f", kExcerptBytes / 4) + "...'"},
        {std::string(1000, '9') + " key z",
         "link:1: frame must be a whole number from 1 up, not '" + std::string(kExcerptBytes, '9') +
             "...'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        InputScript script;
        std::string error;
        EXPECT_FALSE(script.parse(c.line, "link", error));
        EXPECT_EQ(error, c.error);
    }
}

// A refused text leaves the script as it was, so a bad link cannot undo a good one.
TEST_F(InputScriptTest, RefusedTextKeepsTheEventsHeldBefore) {
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.parse("3 key z\n", "first", error)) << error;
    EXPECT_FALSE(script.parse("3 key z\n4 key zz\n", "second", error));
    EXPECT_EQ(error, "second:2: unknown key 'zz'");
    EXPECT_EQ(script.events(), std::vector<InputEvent>{key(3, 'z')});
}

// Handed on through a handler of the caller's, events arrive once each, in order, and the script
// counts as finished only after its last one.
TEST_F(InputScriptTest, HandsEventsToAHandlerOnceEachAndThenIsFinished) {
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.parse("2 key z\n2 key x\n5 motion 3 4\n", "link", error)) << error;
    std::vector<InputEvent> handed;
    const auto handle = [&handed](const InputEvent& event) { handed.push_back(event); };

    script.applyBefore(1, handle);
    EXPECT_TRUE(handed.empty());
    script.applyBefore(2, handle);
    script.applyBefore(2, handle); // asked twice: nothing twice
    EXPECT_EQ(handed, (std::vector<InputEvent>{key(2, 'z'), key(2, 'x')}));
    EXPECT_FALSE(script.finished());
    script.applyBefore(9, handle); // a frame passed over still gets its events, late
    EXPECT_EQ(handed.size(), 3u);
    EXPECT_EQ(handed.back(), motion(5, 3, 4));
    EXPECT_TRUE(script.finished());
}

using InputRecorderTest = InputFilesTest;

// Each line is on disk as soon as it is recorded: a game that ends by the quit key or a closed
// window never gets to close the file.
TEST_F(InputRecorderTest, EveryEventIsOnDiskAtOnceAndReplaysAsRecorded) {
    const fs::path path = folder_ / "recording.txt";
    const std::vector<InputEvent> played = {motion(35, 320, 240), key(38, 'z'), key(38, '#'),
                                            mouse(102, GLUT_LEFT_BUTTON, GLUT_DOWN, 300, 250),
                                            special(110, GLUT_KEY_LEFT)};
    InputRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.open(path.string(), error)) << error;
    EXPECT_TRUE(recorder.isOpen());

    std::vector<std::string> written;
    for (const InputEvent& event : played) {
        recorder.record(event);
        written.push_back(formatInputEvent(event));
        std::vector<std::string> onDisk = readLines(path);
        ASSERT_FALSE(onDisk.empty());
        EXPECT_EQ(onDisk.front().substr(0, 1), "#"); // says what the file is
        onDisk.erase(onDisk.begin());
        EXPECT_EQ(onDisk, written);
    }

    InputScript replay;
    ASSERT_TRUE(replay.load(path.string(), error)) << error;
    EXPECT_EQ(replay.events(), played);
}

TEST_F(InputRecorderTest, UnwritablePathIsRefusedAndRecordingThenDoesNothing) {
    const fs::path path = folder_ / "no-such-folder" / "recording.txt";
    InputRecorder recorder;
    std::string error;

    EXPECT_FALSE(recorder.open(path.string(), error));
    EXPECT_EQ(error, "cannot record to " + path.string() + ": No such file or directory");
    EXPECT_FALSE(recorder.isOpen());
    recorder.record(key(1, 'z'));
    EXPECT_FALSE(fs::exists(path));
}

// The live game's own handlers stamp each input with the frame it comes before: frameCount + 1.
// runGame keeps its world in statics, so it runs in a fresh copy of this program.
TEST(LiveRecording, HandlersRecordEveryInputStampedWithTheNextFrame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Named after the test program, so the plain and the sanitized suite never share the file.
    const fs::path path = fs::read_symlink("/proc/self/exe").string() + ".live-recording.txt";
    fs::remove(path);
    const auto play = [&path] {
        ::setenv("SPINTUNNEL_RECORD", path.c_str(), 1);
        resetGameState();
        char title[] = "spintunnel";
        char* argv[] = {title, nullptr};
        runGame(1, argv);
        const gltest::GlutCallbacks callbacks = gltest::glutCallbacks();
        if (callbacks.idle == nullptr || callbacks.display == nullptr ||
            callbacks.keyboard == nullptr || callbacks.special == nullptr ||
            callbacks.mouse == nullptr || callbacks.motion == nullptr ||
            callbacks.passiveMotion == nullptr) {
            std::exit(1);
        }
        callbacks.motion(320, 240); // before frame 1
        callbacks.idle();
        callbacks.idle();
        callbacks.keyboard('z', 10, 20); // after frame 2
        callbacks.special(GLUT_KEY_DOWN, 10, 20);
        callbacks.display();
        callbacks.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 300, 250); // after frame 3
        callbacks.passiveMotion(310, 250);
        callbacks.keyboard('q', 0, 0); // ends the process with 42
        std::exit(2);                  // the quit key did not end the game
    };
    EXPECT_EXIT(play(), ::testing::ExitedWithCode(Game::kQuitStatus), "");

    std::vector<std::string> lines = readLines(path);
    fs::remove(path);
    ASSERT_FALSE(lines.empty());
    lines.erase(lines.begin()); // the header comment
    const std::vector<std::string> expected = {
        "1 motion 320 240",          "3 key z",          "3 special down",
        "4 mouse left down 300 250", "4 motion 310 250", "4 key q",
    };
    EXPECT_EQ(lines, expected);
}

} // namespace
