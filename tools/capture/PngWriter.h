#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An RGB picture, top row first.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3 bytes
};

// Writes the image as a PNG. The file appears whole or not at all: it is written under a temporary
// name and renamed into place. On failure returns false with a one-line message in error.
bool writePng(const RgbImage& image, const std::string& path, std::string& error);
