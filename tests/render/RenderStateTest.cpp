#include "render/RenderState.h"
#include "GameFixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs each test inside its own empty directory, since the game reads its images by bare name
// from the working directory.
class RenderStateTest : public GameStateTest {
protected:
    void SetUp() override {
        GameStateTest::SetUp();
        previousDir_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("spintunnel-renderstate-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
        texture1.fill(0);
        texture2.fill(0);
        ringPattern.fill(0);
    }

    void TearDown() override {
        fs::current_path(previousDir_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Bytes that are never zero, so a filled byte can always be told from an untouched one.
    static std::vector<char> imageBytes(std::size_t size, int salt) {
        std::vector<char> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>(1 + (i * 7 + static_cast<std::size_t>(salt)) % 250);
        }
        return bytes;
    }

    static void writeFile(const fs::path& path, const std::vector<char>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << path;
    }

    // The first `filled` bytes of the image come from the file in order; all the rest are zero.
    static void expectFilledFrom(const TextureImage& image, const std::vector<char>& file,
                                 std::size_t filled) {
        for (std::size_t i = 0; i < image.size(); ++i) {
            const std::uint8_t expected = i < filled ? static_cast<std::uint8_t>(file[i]) : 0;
            ASSERT_EQ(image[i], expected) << "byte " << i;
        }
    }

    fs::path previousDir_;
    fs::path dir_;
};

struct ExpectedCall {
    const char* name;
    std::vector<double> args;
};

double f(float value) {
    return static_cast<double>(value);
}

TEST_F(RenderStateTest, InitRenderStateSetsTheFixedStateInOrder) {
    const std::vector<ExpectedCall> expected = {
        {"glClearColor", {0, 0, 0, 0}},
        {"glLightfv", {GL_LIGHT0, GL_POSITION, 0, 0, -16, 1}},
        {"glLightfv", {GL_LIGHT0, GL_DIFFUSE, 0.5, 0.5, 0.5, 1}},
        {"glLightfv", {GL_LIGHT0, GL_SPECULAR, f(0.3f), f(0.3f), f(0.3f), 1}},
        {"glLightfv", {GL_LIGHT1, GL_POSITION, 0, -1, -6, 1}},
        {"glLightfv", {GL_LIGHT1, GL_DIFFUSE, f(0.4f), f(0.4f), f(0.4f), 1}},
        {"glLightfv", {GL_LIGHT1, GL_SPECULAR, f(0.1f), f(0.1f), f(0.1f), 1}},
        {"glLightfv", {GL_LIGHT2, GL_POSITION, 0, -0.5, 1, 1}},
        {"glLightfv", {GL_LIGHT2, GL_DIFFUSE, 0.5, 0.5, 0.5, 1}},
        {"glLightfv", {GL_LIGHT2, GL_SPECULAR, f(0.1f), f(0.1f), f(0.1f), 1}},
        {"glLightModelfv", {GL_LIGHT_MODEL_AMBIENT, f(0.1f), f(0.1f), f(0.1f), 1}},
        {"glEnable", {GL_LIGHTING}},
        {"glEnable", {GL_LIGHT0}},
        {"glEnable", {GL_LIGHT1}},
        {"glEnable", {GL_LIGHT2}},
        {"glEnable", {GL_DEPTH_TEST}},
        {"glShadeModel", {GL_SMOOTH}},
        {"glEnable", {GL_COLOR_MATERIAL}},
        {"glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}},
        {"glEnable", {GL_FOG}},
        {"glFogi", {GL_FOG_MODE, GL_EXP}},
        {"glFogf", {GL_FOG_DENSITY, f(0.01f)}},
        {"glFogfv", {GL_FOG_COLOR, 0, 0, 0, 1}},
    };

    initRenderState();

    const auto& calls = gltest::calls();
    ASSERT_EQ(calls.size(), expected.size()) << gltest::dump();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(gltest::toString(calls[i]));
        EXPECT_STREQ(calls[i].name, expected[i].name) << "call " << i;
        ASSERT_EQ(calls[i].argCount, static_cast<int>(expected[i].args.size())) << "call " << i;
        for (std::size_t a = 0; a < expected[i].args.size(); ++a) {
            EXPECT_EQ(calls[i].arg(static_cast<int>(a)), expected[i].args[a])
                << "call " << i << ", argument " << a;
        }
    }
}

// The ring pattern as drawn by hand: 'x' is the blue ring, '.' the grey ground.
constexpr std::array<const char*, 16> kRingRows = {
    "....xxxx........", "..xxxxxxxx......", ".xxxxxxxxxx.....", ".xxx....xxx.....",
    "xxx......xxx....", "xxx......xxx....", "xxx......xxx....", "xxx......xxx....",
    ".xxx....xxx.....", ".xxxxxxxxxx.....", "..xxxxxxxx......", "....xxxx........",
    "................", "................", "................", "................",
};
constexpr std::array<std::uint8_t, 3> kRing = {31, 31, 143};
constexpr std::array<std::uint8_t, 3> kGround = {202, 202, 202};

std::array<std::uint8_t, 3> texel(const RingPatternImage& image, int row, int column) {
    const std::size_t at = static_cast<std::size_t>(row * 16 + column) * 3;
    return {image[at], image[at + 1], image[at + 2]};
}

TEST_F(RenderStateTest, RingPatternIsABlueRingOnGrey) {
    initRenderState();

    struct Probe {
        int row, column;
        std::array<std::uint8_t, 3> colour;
    };
    const std::vector<Probe> probes = {
        {0, 4, kRing},  {0, 0, kGround}, {5, 10, kRing},   {4, 0, kRing},
        {11, 7, kRing}, {5, 5, kGround}, {0, 15, kGround}, {15, 15, kGround},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(testing::Message() << "row " << p.row << ", column " << p.column);
        EXPECT_EQ(texel(ringPattern, p.row, p.column), p.colour);
    }

    int ringTexels = 0;
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", column " << column);
            const bool ring = kRingRows[row][column] == 'x';
            EXPECT_EQ(texel(ringPattern, row, column), ring ? kRing : kGround);
            ringTexels += ring ? 1 : 0;
            if (row >= 12 || column >= 12) {
                EXPECT_EQ(texel(ringPattern, row, column), kGround);
            }
        }
    }
    // 4 + 8 + 10 + 6 * 6 + 10 + 8 + 4 marks in the pattern's rows.
    EXPECT_EQ(ringTexels, 80);
    EXPECT_EQ(std::count(ringPattern.begin(), ringPattern.end(), std::uint8_t{143}), 80);
}

TEST_F(RenderStateTest, LoadTextureFillsOnlyWhatTheFileHolds) {
    struct FileCase {
        const char* name;
        bool exists;
        std::size_t size; // bytes in the file
        std::size_t filled;
    };
    const std::vector<FileCase> cases = {
        {"missing", false, 0, 0},
        {"empty", true, 0, 0},
        {"short", true, 100, 100},
        {"one byte short", true, kTextureBytes - 1, kTextureBytes - 1},
        {"exact", true, kTextureBytes, kTextureBytes},
        {"longer", true, kTextureBytes + 1000, kTextureBytes},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir_ / (std::string(c.name) + ".rgb");
        const std::vector<char> bytes = imageBytes(c.size, static_cast<int>(c.size % 97));
        if (c.exists) {
            writeFile(path, bytes);
        }
        TextureImage image{};
        loadTexture(path.c_str(), image);
        expectFilledFrom(image, bytes, c.filled);
    }
}

TEST_F(RenderStateTest, LoadTextureOfADirectoryLeavesTheImageBlack) {
    fs::create_directory(dir_ / "texture1.rgb");
    TextureImage image{};
    loadTexture("texture1.rgb", image);
    EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(RenderStateTest, InitRenderStateLoadsBothImagesFromTheWorkingDirectory) {
    const std::vector<char> first = imageBytes(kTextureBytes + 10, 3);
    const std::vector<char> second = imageBytes(100, 11);
    writeFile("texture1.rgb", first);
    writeFile("texture2.rgb", second);

    initRenderState();

    {
        SCOPED_TRACE("texture1, longer than an image");
        expectFilledFrom(texture1, first, kTextureBytes);
    }
    {
        SCOPED_TRACE("texture2, 100 bytes");
        expectFilledFrom(texture2, second, 100);
    }
}

TEST_F(RenderStateTest, MissingImagesStayBlackAndStartUpCarriesOn) {
    initRenderState();
    EXPECT_TRUE(
        std::all_of(texture1.begin(), texture1.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(
        std::all_of(texture2.begin(), texture2.end(), [](std::uint8_t b) { return b == 0; }));
    // The render state after the images is still set.
    EXPECT_EQ(gltest::count("glFogfv"), 1u);
    EXPECT_EQ(texel(ringPattern, 0, 4), kRing);
}

// Checked in a newly started copy of this test program, so no other test has touched the globals.
TEST(RenderStateAtStartUp, TexturingIsOnAndImagesAreZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const auto zero = [](std::uint8_t b) { return b == 0; };
            const bool fresh = texturingEnabled == 1 &&
                               std::all_of(texture1.begin(), texture1.end(), zero) &&
                               std::all_of(texture2.begin(), texture2.end(), zero) &&
                               std::all_of(ringPattern.begin(), ringPattern.end(), zero);
            std::exit(fresh ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
