// png_writer.h: writing 8-bit RGB PNG files with libpng, byte for byte the same on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

// Writes width x height pixels of 3 bytes (red, green, blue; top row first) to path as a
// non-interlaced 8-bit truecolour PNG without alpha and without a time stamp.
// Returns 1, or 0 when the size does not match the pixels or the file cannot be written.
int WritePngRgb(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace assets
