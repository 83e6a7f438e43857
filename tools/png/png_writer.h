// png_writer.h: writing 8-bit RGB PNG files with libpng, for the generator, the capture tool
// and the tests; the same pixels and options give the same bytes on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace png_writer {

struct Options {
    bool interlaced = false;  // Adam7 passes instead of plain rows
    bool fast = false;        // fastest compression and one cheap filter: for many large frames
};

// Writes width x height pixels of 3 bytes (red, green, blue; top row first) to path as an
// 8-bit truecolour PNG without alpha and without a time stamp. Returns true, or false when
// the size does not match the pixels or the file cannot be written whole, with the reason in
// *reason when given (the system's error text where a write, flush or close failed); a partly
// written file is removed.
bool WriteRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
              const Options& options = Options(), std::string* reason = nullptr);

}  // namespace png_writer
