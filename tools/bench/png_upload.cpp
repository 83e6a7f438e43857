// png_upload.cpp: times reading a 512 x 512 PNG and making a texture of it, as start-up does.
//
// Runs on the headless layer (Mesa llvmpipe). Prints the median and the spread over the
// repeats of LoadPngRgb alone and of TextureRegistry::Load (read + upload + release).
#include "platform/gl.h"
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "tools/bench/bench_window.h"
#include "gfx/png_reader.h"
#include "gfx/texture_registry.h"
#include "platform/headless/headless.h"
#include "tools/png/png_writer.h"

namespace {

const int kSize = 512;
const int kRepeats = 41;

// A picture that compresses like a painted texture: smooth gradients with some grain.
std::vector<uint8_t> TexturePixels() {
    std::vector<uint8_t> rgb;
    unsigned seed = 12345;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            seed = seed * 1103515245u + 12345u;
            int grain = int((seed >> 16) & 15) - 8;
            rgb.push_back(uint8_t(std::clamp(x / 2 + grain, 0, 255)));
            rgb.push_back(uint8_t(std::clamp(y / 2 + grain, 0, 255)));
            rgb.push_back(uint8_t(std::clamp((x + y) / 4 + grain, 0, 255)));
        }
    }
    return rgb;
}

double Milliseconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from)
        .count();
}

void PrintStats(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-40s median %7.2f ms   min %7.2f ms   max %7.2f ms   (%zu runs)\n", what,
                times[times.size() / 2], times.front(), times.back(), times.size());
}

}  // namespace

int main() {
    char folder[] = "/tmp/kelvo_bench_png_XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0 || mkdir("data", 0755) != 0) return 1;
    if (!png_writer::WriteRgb("data/bench.png", kSize, kSize, TexturePixels())) return 1;
    struct stat info {};
    stat("data/bench.png", &info);

    BenchWindow window;
    if (!OpenBenchWindow(&window)) return 1;

    std::vector<double> readTimes, loadTimes;
    for (int i = 0; i < kRepeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        if (!LoadPngRgb(&pixels, "data\\bench.png", &width, &height)) return 1;
        readTimes.push_back(Milliseconds(start));
        std::free(pixels);

        TextureRegistry registry;
        start = std::chrono::steady_clock::now();
        if (!registry.Load("bench.png")) return 1;
        glFinish();
        loadTimes.push_back(Milliseconds(start));
        glDeleteTextures(1, &registry.textureIds[0]);
    }
    std::printf("512 x 512 RGB PNG of %ld bytes\n", long(info.st_size));
    PrintStats("LoadPngRgb", readTimes);
    PrintStats("TextureRegistry::Load (read + upload)", loadTimes);

    displaySettings->ReleaseWindow(window.window, window.deviceContext, window.renderingContext);
    std::remove("data/bench.png");
    rmdir("data");
    rmdir(folder);
    return 0;
}
