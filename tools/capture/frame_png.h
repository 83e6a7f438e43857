// frame_png.h: writing one captured frame as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height RGB pixels given bottom row first (as OpenGL reads them) to path
// as an 8-bit truecolour PNG, top row first. Returns false with the reason in *reason
// (the system's error text where a write, flush or close failed) when the file cannot be
// written whole; a partly written file is removed.
bool WriteFramePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgbBottomUp,
                   std::string* reason);
