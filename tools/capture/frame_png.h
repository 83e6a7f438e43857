// frame_png.h: writing one captured frame as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height RGB pixels, top row first, to path as an 8-bit truecolour PNG. Returns false with the reason in *reason
// (the system's error text where a write, flush or close failed) when the file cannot be
// written whole; a partly written file is removed.
bool WriteFramePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgbTopDown,
                   std::string* reason);
