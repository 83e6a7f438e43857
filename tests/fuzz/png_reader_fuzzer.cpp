// png_reader_fuzzer.cpp: any bytes as a PNG file through LoadPngRgb.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "gfx/png_reader.h"
#include "fuzz_input.h"
#include "platform/headless/headless.h"

namespace {

std::string inputPath;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    inputPath = MakeFuzzInputFile("kelvo_png_fuzz_");
    headless::SetMessageBoxEcho(false);
    displaySettings = new DisplaySettings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteFuzzInput(inputPath, data, size)) return 0;
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
