// png_test_files.cpp: writing test PNG files, and raw chunks for broken ones.
#include "support/png_test_files.h"

#include "tools/png/png_writer.h"

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
    png_writer::Options options;
    options.interlaced = interlaced;
    return png_writer::WriteRgb(path, width, height, rgb, options);
}

std::string Chunk(const std::string& type, const std::string& data) {
    std::string typeAndData = type + data;
    uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(typeAndData.data()), uInt(typeAndData.size()));
    return BigEndian32(std::uint32_t(data.size())) + typeAndData + BigEndian32(std::uint32_t(crc));
}

std::string SignatureAndHeader(std::uint32_t width, std::uint32_t height, int bitDepth,
                               int colourType) {
    std::string header = BigEndian32(width) + BigEndian32(height);
    header += char(bitDepth);
    header += char(colourType);
    header += std::string(3, '\0');  // compression, filter, interlace
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header);
}

}  // namespace testpng
