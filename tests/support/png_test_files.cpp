// png_test_files.cpp: writing test PNG files with libpng, and raw chunks for broken ones.
#include "support/png_test_files.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace testpng {

namespace {

std::string BigEndian32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = char((value >> (24 - 8 * i)) & 0xff);
    return bytes;
}

}  // namespace

bool WriteRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              bool interlaced) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(rgb.data() + size_t(y) * width * 3);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

std::string Chunk(const std::string& type, const std::string& data) {
    std::string typeAndData = type + data;
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(typeAndData.data()), uInt(typeAndData.size()));
    return BigEndian32(std::uint32_t(data.size())) + typeAndData + BigEndian32(std::uint32_t(crc));
}

std::string SignatureAndHeader(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType) {
    std::string header = BigEndian32(width) + BigEndian32(height);
    header += char(bitDepth);
    header += char(colourType);
    header += std::string(3, '\0');  // compression, filter, interlace
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header);
}

}  // namespace testpng
