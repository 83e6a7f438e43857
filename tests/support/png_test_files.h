// png_test_files.h: small PNG files made in code for the image and texture tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testpng {

// Writes an 8-bit RGB PNG (colour type 2) of width x height from rgb, which holds the rows
// top row first, 3 bytes a pixel. Returns false when the file cannot be written.
bool WriteRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              bool interlaced = false);

// One PNG chunk: length, type, data and CRC, as bytes.
std::string Chunk(const std::string& type, const std::string& data);
// The 8-byte signature followed by an IHDR chunk declaring this header.
std::string SignatureAndHeader(std::uint32_t width, std::uint32_t height, int bitDepth,
                               int colourType);

}  // namespace testpng
