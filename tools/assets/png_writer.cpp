// png_writer.cpp: writing 8-bit RGB PNG files with libpng, byte for byte the same on every run.
#include "tools/assets/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace assets {

namespace {

// libpng reports errors by longjmp; this keeps the FILE and the structures releasable.
int WriteRows(FILE* file, int width, int height, const std::vector<uint8_t>& rgb) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return 0;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return 0;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 0;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        png_write_row(png, const_cast<png_bytep>(rgb.data() + stride * static_cast<size_t>(y)));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return 1;
}

}  // namespace

int WritePngRgb(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0) return 0;
    if (rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) return 0;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    int written = WriteRows(file, width, height, rgb);
    if (std::fclose(file) != 0) written = 0;
    if (!written) std::remove(path.c_str());
    return written;
}

}  // namespace assets
