#include "PngWriter.h"

#include "WholeFile.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

// libpng reports errors by longjmp; keep everything that needs cleaning up outside that frame.
bool encode(const RgbImage& image, std::FILE* file) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    for (int row = 0; row < image.height; ++row) {
        png_write_row(png, image.pixels.data() + stride * static_cast<std::size_t>(row));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(const RgbImage& image, const std::string& path, std::string& error) {
    return writeWholeFile(
        path, [&image](std::FILE* file) { return encode(image, file); }, error);
}
