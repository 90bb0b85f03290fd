// spintunnel-capture: runs the real game in a real window for an exact number of frames, feeds it
// scripted input at exact frames, and writes chosen frames as PNG pictures. Everything the game
// does goes through its own start-up, handlers and frame routine.

#include "FrameStats.h"
#include "PaceStats.h"
#include "PngWriter.h"
#include "WholeFile.h"

#include "render/RenderState.h"
#include "scene/GameState.h"
#include "shell/DesktopShell.h"
#include "shell/FramePacer.h"
#include "shell/Game.h"
#include "shell/GameOptions.h"
#include "shell/InputScript.h"
#include "shell/Shell.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <valgrind/callgrind.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kUsageStatus = 2;
constexpr int kGlErrorStatus = 3;
constexpr auto kWindowWait = std::chrono::seconds(10);

struct Options {
    std::int32_t frames = 0;
    std::string inputPath;
    std::map<std::int32_t, std::string> shots; // frame -> PNG path
    bool stats = false;
    std::int32_t statsFrom = 1; // earlier frames are warm-up, left out of the statistics
    std::string frameTimesPath; // every timed frame's time, one line each
    bool checkGlErrors = false;
    std::int32_t profileFirst = 0; // frames counted by callgrind, each dumped on its own
    std::int32_t profileLast = -1;
    GameOptions game;        // --fps and --vsync, as the game itself takes them
    bool printState = false; // the game's frame count and spin angle after the last frame
};

const char* const kUsage =
    "usage: spintunnel-capture --frames N [--input FILE] [--shot FRAME:PATH.png]... [--stats] "
    "[--stats-from FRAME] [--frame-times PATH] [--check-gl-errors] [--profile-frames FIRST:LAST] "
    "[--fps N] [--vsync on|off] [--state]";

void fail(const std::string& message) {
    std::fprintf(stderr, "spintunnel-capture: %s\n", message.c_str());
}

bool parseFrame(std::string_view text, std::int32_t& frame) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, frame);
    return error == std::errc() && rest == end && frame >= 1;
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const bool hasValue = i + 1 < argc;
        switch (options.game.take(argc, argv, i, error)) {
        case GameOptions::Taken::Taken:
            continue;
        case GameOptions::Taken::Bad:
            return false;
        case GameOptions::Taken::NotOurs:
            break;
        }
        if (option == "--frames" && hasValue) {
            if (!parseFrame(argv[++i], options.frames)) {
                error =
                    "--frames takes a whole number from 1 up, not '" + std::string(argv[i]) + "'";
                return false;
            }
        } else if (option == "--input" && hasValue) {
            options.inputPath = argv[++i];
        } else if (option == "--shot" && hasValue) {
            const std::string_view value = argv[++i];
            const std::size_t colon = value.find(':');
            std::int32_t frame = 0;
            if (colon == std::string_view::npos || colon + 1 == value.size() ||
                !parseFrame(value.substr(0, colon), frame)) {
                error = "--shot takes FRAME:PATH.png, not '" + std::string(value) + "'";
                return false;
            }
            options.shots[frame] = std::string(value.substr(colon + 1));
        } else if (option == "--stats") {
            options.stats = true;
        } else if (option == "--stats-from" && hasValue) {
            options.stats = true;
            if (!parseFrame(argv[++i], options.statsFrom)) {
                error = "--stats-from takes a frame number from 1 up, not '" +
                        std::string(argv[i]) + "'";
                return false;
            }
        } else if (option == "--frame-times" && hasValue) {
            options.frameTimesPath = argv[++i];
        } else if (option == "--profile-frames" && hasValue) {
            const std::string_view value = argv[++i];
            const std::size_t colon = value.find(':');
            if (colon == std::string_view::npos ||
                !parseFrame(value.substr(0, colon), options.profileFirst) ||
                !parseFrame(value.substr(colon + 1), options.profileLast) ||
                options.profileLast < options.profileFirst) {
                error = "--profile-frames takes FIRST:LAST, not '" + std::string(value) + "'";
                return false;
            }
        } else if (option == "--check-gl-errors") {
            options.checkGlErrors = true;
        } else if (option == "--state") {
            options.printState = true;
        } else {
            error = "unknown or incomplete option '" + std::string(option) + "'\n" + kUsage;
            return false;
        }
    }
    if (options.frames < 1) {
        error = std::string("--frames is required\n") + kUsage;
        return false;
    }
    for (const auto& [frame, path] : options.shots) {
        if (frame > options.frames) {
            error = "--shot frame " + std::to_string(frame) + " is past the last frame";
            return false;
        }
    }
    return true;
}

// Refuses up front an output that could never be written, so a long run does not fail at its end.
bool checkWritable(const std::string& path, std::string& error) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (::access(folder.c_str(), W_OK) != 0) {
        error = "cannot write " + path + ": folder missing or not writable";
        return false;
    }
    // A folder passes the access checks but can never be replaced by a picture.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = "cannot write " + path + ": Is a directory";
        return false;
    }
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
        error = "cannot write " + path + ": not writable";
        return false;
    }
    return true;
}

bool windowReady = false;
void onCaptureDisplay() {} // frames are drawn by the capture loop, never by redisplay requests
void onCaptureReshape(int width, int height) {
    Game::reshape(width, height);
    windowReady = true;
}

// The first reshape tells us the window is up and the projection set, as in the live game.
void waitForWindow() {
    const auto deadline = std::chrono::steady_clock::now() + kWindowWait;
    while (!windowReady && std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
    }
    if (!windowReady) {
        Game::reshape(Game::kWindowWidth, Game::kWindowHeight);
    }
}

// Drains GL's error flags after a frame, naming the first few so a long run stays readable.
long countGlErrors(std::int32_t frame, long earlierErrors) {
    constexpr long kErrorsShown = 10;
    long errors = 0;
    for (GLenum code = glGetError(); code != GL_NO_ERROR; code = glGetError()) {
        if (earlierErrors + errors < kErrorsShown) {
            std::fprintf(stderr, "spintunnel-capture: frame %d: GL error 0x%04x\n", frame, code);
        }
        ++errors;
    }
    return errors;
}

RgbImage readFrame() {
    RgbImage image;
    image.width = glutGet(GLUT_WINDOW_WIDTH);
    image.height = glutGet(GLUT_WINDOW_HEIGHT);
    const auto pixelCount = static_cast<std::size_t>(image.width) * image.height;
    // RGBA rows are always 4-byte aligned, so the default pack alignment can stay untouched.
    std::vector<std::uint8_t> rgba(pixelCount * 4);
    glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    image.pixels.resize(pixelCount * 3);
    for (int row = 0; row < image.height; ++row) {
        // GL's first row is the bottom one; PNG's is the top.
        const std::uint8_t* from = rgba.data() + static_cast<std::size_t>(row) * image.width * 4;
        std::uint8_t* to = image.pixels.data() +
                           static_cast<std::size_t>(image.height - 1 - row) * image.width * 3;
        for (int column = 0; column < image.width; ++column) {
            std::copy_n(from + column * 4, 3, to + column * 3);
        }
    }
    return image;
}

void printStats(const std::vector<double>& milliseconds, const std::vector<double>& startMs) {
    const FrameStats stats = FrameStats::of(milliseconds);
    std::printf("frames %zu\nmedian_ms %.3f\np99_ms %.3f\nfps %.1f\np99_local_ratio %.3f\n",
                stats.frames, stats.medianMs, stats.p99Ms, stats.framesPerSecond,
                stats.p99LocalRatio);
    const PaceStats pace = PaceStats::of(startMs);
    std::printf("achieved_fps %.2f\ninterval_median_ms %.3f\ninterval_p99_ms %.3f\n"
                "interval_max_ms %.3f\n",
                pace.achievedFramesPerSecond, pace.medianIntervalMs, pace.p99IntervalMs,
                pace.longestIntervalMs);
}

// With pacing: how often the schedule had to start again, and how many frames' own work was
// longer than a whole interval, which no pacing can make up for.
void printPacing(std::uint64_t overruns, const std::vector<double>& milliseconds,
                 int framesPerSecond) {
    const double intervalMs = 1000.0 / framesPerSecond;
    const auto longer = std::count_if(milliseconds.begin(), milliseconds.end(),
                                      [&](double ms) { return ms > intervalMs; });
    std::printf("paced_fps %d\npacer_overruns %llu\nframes_longer_than_interval %lld\n",
                framesPerSecond, static_cast<unsigned long long>(overruns),
                static_cast<long long>(longer));
}

// "FRAME MS" lines, so a run's pace can be studied frame by frame and runs compared.
bool writeFrameTimes(const std::vector<double>& milliseconds, std::int32_t firstFrame,
                     const std::string& path, std::string& error) {
    return writeWholeFile(
        path,
        [&](std::FILE* file) {
            for (std::size_t i = 0; i < milliseconds.size(); ++i) {
                if (std::fprintf(file, "%lld %.4f\n",
                                 static_cast<long long>(firstFrame) + static_cast<long long>(i),
                                 milliseconds[i]) < 0) {
                    return false;
                }
            }
            return true;
        },
        error);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        fail(error);
        return kUsageStatus;
    }
    InputScript script;
    if (!options.inputPath.empty() && !script.load(options.inputPath, error)) {
        fail(error);
        return kUsageStatus;
    }
    for (const auto& [frame, path] : options.shots) {
        if (!checkWritable(path, error)) {
            fail(error);
            return kUsageStatus;
        }
    }
    if (!options.frameTimesPath.empty() && !checkWritable(options.frameTimesPath, error)) {
        fail(error);
        return kUsageStatus;
    }

    static Game game;
    int glutArgc = 1;
    char title[] = "spintunnel";
    char* glutArgv[] = {title, nullptr};
    openWindow(&glutArgc, glutArgv);
    initRenderState();
    applyVerticalSync(options.game.verticalSync);
    glutDisplayFunc(onCaptureDisplay);
    glutReshapeFunc(onCaptureReshape);

    waitForWindow();

    FramePacer::SteadyClock clock;
    std::optional<FramePacer> pacer;
    if (options.game.framesPerSecond > 0) {
        pacer.emplace(options.game.framesPerSecond, clock);
    }

    std::vector<double> frameMilliseconds;
    std::vector<double> startMilliseconds;
    frameMilliseconds.reserve(static_cast<std::size_t>(options.frames));
    startMilliseconds.reserve(static_cast<std::size_t>(options.frames));
    long glErrors = 0;
    std::uint64_t overrunsBeforeStats = 0;
    for (std::int32_t frame = 1; frame <= options.frames; ++frame) {
        if (pacer) {
            if (frame == options.statsFrom) {
                overrunsBeforeStats = pacer->overruns();
            }
            pacer->waitForFrame();
        }
        script.applyBefore(frame, game);
        const bool profiled = frame >= options.profileFirst && frame <= options.profileLast;
        if (profiled) {
            // Outside callgrind these are a few no-op instructions.
            CALLGRIND_START_INSTRUMENTATION;
            CALLGRIND_ZERO_STATS;
        }
        // Timed: the game's step and the swap, not the read-back and PNG writing of a shot.
        const auto start = std::chrono::steady_clock::now();
        game.drawFrame();
        auto drawn = std::chrono::steady_clock::now() - start;
        const auto shot = options.shots.find(frame);
        if (shot != options.shots.end() && !writePng(readFrame(), shot->second, error)) {
            fail(error);
            return 1;
        }
        const auto swapStart = std::chrono::steady_clock::now();
        glutSwapBuffers();
        drawn += std::chrono::steady_clock::now() - swapStart;
        if (profiled) {
            CALLGRIND_DUMP_STATS_AT(("frame " + std::to_string(frame)).c_str());
            CALLGRIND_STOP_INSTRUMENTATION;
        }
        if (frame >= options.statsFrom) {
            frameMilliseconds.push_back(std::chrono::duration<double, std::milli>(drawn).count());
            startMilliseconds.push_back(
                std::chrono::duration<double, std::milli>(start.time_since_epoch()).count());
        }
        if (options.checkGlErrors) {
            glErrors += countGlErrors(frame, glErrors);
        }
        glutMainLoopEvent(); // keep the window's event queue drained
    }
    if (options.stats && !frameMilliseconds.empty()) {
        printStats(frameMilliseconds, startMilliseconds);
        if (pacer) {
            printPacing(pacer->overruns() - overrunsBeforeStats, frameMilliseconds,
                        options.game.framesPerSecond);
        }
    }
    if (!options.frameTimesPath.empty() &&
        !writeFrameTimes(frameMilliseconds, options.statsFrom, options.frameTimesPath, error)) {
        fail(error);
        return 1;
    }
    if (options.printState) {
        // Nine significant digits give back the same float, for comparisons with other front doors.
        std::printf("frame_count %d\nspin_angle %.9g\n", frameCount,
                    static_cast<double>(spinAngle));
    }
    if (glErrors > 0) {
        fail(std::to_string(glErrors) + " GL errors");
        return kGlErrorStatus;
    }
    return 0;
}
