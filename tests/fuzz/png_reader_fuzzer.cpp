// png_reader_fuzzer.cpp: any bytes as a PNG file through LoadPngRgb.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "gfx/png_reader.h"
#include "platform/headless/headless.h"

namespace {

std::string inputPath;

bool WriteInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(inputPath.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/kelvo_png_fuzz_XXXXXX";
    int descriptor = mkstemp(pattern);
    if (descriptor < 0) std::abort();
    close(descriptor);
    inputPath = pattern;
    headless::SetMessageBoxEcho(false);
    displaySettings = new DisplaySettings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteInput(data, size)) return 0;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    if (LoadPngRgb(&pixels, inputPath.c_str(), &width, &height)) {
        // Touch both ends of the block so that a short allocation shows.
        std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
        volatile unsigned char sum = pixels[0] + pixels[bytes - 1];
        (void)sum;
        std::free(pixels);
    }
    headless::ClearRecords();
    return 0;
}
