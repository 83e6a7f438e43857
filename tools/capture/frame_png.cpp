// frame_png.cpp: captured frames to PNG files with libpng, tuned for writing thousands quickly.
#include "tools/capture/frame_png.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>

namespace {

// Writes through an open file; false on any libpng error. Kept apart from the file's
// opening so that nothing changed after setjmp is read after a longjmp.
bool WriteRows(std::FILE* file, int width, int height, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    // Fast compression: frames are many and large, and their size matters less than time.
    png_set_compression_level(png, Z_BEST_SPEED);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WriteFramePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgbBottomUp) {
    if (width <= 0 || height <= 0 || rgbBottomUp.size() != std::size_t(width) * height * 3) return false;
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y)
        rows[y] = const_cast<png_bytep>(rgbBottomUp.data() + std::size_t(height - 1 - y) * width * 3);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = WriteRows(file, width, height, rows.data());
    return std::fclose(file) == 0 && written;
}
