// headless_frames.cpp: the headless frames an end-to-end test compares the screen with.
#include "support/headless_frames.h"
#include "support/tool_runs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "gfx/png_reader.h"

namespace fs = std::filesystem;

ScreenArea ShrinkTo(const ScreenArea& area, int width, int height) {
    ScreenArea shrunk;
    shrunk.width = width;
    shrunk.height = height;
    std::vector<double> sums(static_cast<std::size_t>(width) * height * 3, 0.0);
    std::vector<int> counts(static_cast<std::size_t>(width) * height, 0);
    for (int y = 0; y < area.height; ++y) {
        int row = static_cast<int>((y + 0.5) * height / area.height);
        for (int x = 0; x < area.width; ++x) {
            int column = static_cast<int>((x + 0.5) * width / area.width);
            std::size_t to = static_cast<std::size_t>(row) * width + column;
            std::size_t from = (static_cast<std::size_t>(y) * area.width + x) * 3;
            for (int c = 0; c < 3; ++c)
                sums[to * 3 + c] += static_cast<unsigned char>(area.rgb[from + c]);
            ++counts[to];
        }
    }
    shrunk.rgb.resize(sums.size());
    for (std::size_t i = 0; i < sums.size(); ++i) {
        int count = counts[i / 3];
        shrunk.rgb[i] = static_cast<char>(count ? std::lround(sums[i] / count) : 0);
    }
    return shrunk;
}

double RmsDifference(const ScreenArea& a, const ScreenArea& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return 1.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        double d =
            (static_cast<unsigned char>(a.rgb[i]) - static_cast<unsigned char>(b.rgb[i])) / 255.0;
        sum += d * d;
    }
    return std::sqrt(sum / static_cast<double>(a.rgb.size()));
}

namespace {

std::string FramePath(const std::string& folder, int elapsedMs) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", elapsedMs);
    return folder + name;
}

}  // namespace

HeadlessFrames::HeadlessFrames(const std::vector<int>& elapsedMs) : elapsedMs_(elapsedMs) {
    std::string times;
    for (int ms : elapsedMs) times += (times.empty() ? "" : ",") + std::to_string(ms);
    folder_ = scratch_ / "frames";
    ProgramStart start;
    start.arguments = {BuiltProgram("kelvo-capture"),
                       "--data",
                       fs::path(KELVO_BIN_DIR).parent_path().string(),
                       "--at",
                       times,
                       "--out",
                       folder_};
    const ToolRun run = RunProgram(start);
    rendered_ = run.exitCode == 0;
    if (!rendered_) problem_ = "kelvo-capture failed: " + run.err;
}

HeadlessFrames::~HeadlessFrames() = default;

ScreenArea HeadlessFrames::Frame(int elapsedMs) const {
    ScreenArea frame;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    if (!LoadPngRgb(&pixels, FramePath(folder_, elapsedMs).c_str(), &width, &height)) return frame;
    frame.width = width;
    frame.height = height;
    frame.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    // The reader gives the bottom row first, 4 bytes a pixel.
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
            frame.rgb.append(reinterpret_cast<const char*>(pixels) +
                                 (static_cast<std::size_t>(y) * width + x) * 4,
                             3);
    std::free(pixels);
    return frame;
}

FrameMatch HeadlessFrames::Closest(const ScreenArea& picture) const {
    FrameMatch best;
    for (int ms : elapsedMs_) {
        double difference = RmsDifference(picture, Frame(ms));
        if (best.elapsedMs < 0 || difference < best.difference) best = {ms, difference};
    }
    return best;
}

FrameMatch MatchShowFrame(const ScreenArea& picture, int spanMs, std::string* problem) {
    std::vector<int> coarse;
    for (int ms = 0; ms <= spanMs; ms += 40) coarse.push_back(ms);
    HeadlessFrames coarseFrames(coarse);
    if (!coarseFrames.Rendered()) {
        *problem = coarseFrames.Problem();
        return {};
    }
    FrameMatch near = coarseFrames.Closest(picture);
    std::vector<int> fine;
    for (int ms = std::max(0, near.elapsedMs - 40); ms <= near.elapsedMs + 40; ms += 2)
        fine.push_back(ms);
    HeadlessFrames fineFrames(fine);
    if (!fineFrames.Rendered()) {
        *problem = fineFrames.Problem();
        return near;
    }
    return fineFrames.Closest(picture);
}
