// assets_scene_capture_test.cpp: every generated scene, drawn by the real show through
// kelvo-capture, shows something and moves, from the start to the end of its span.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "demo/flash_table.h"
#include "gfx/png_reader.h"
#include "support/generated_data.h"
#include "support/headless_window.h"
#include "tools/assets/scenes.h"
#include "support/test_files.h"
#include "support/tool_runs.h"

namespace {

// Frames taken while a picture flashes show it rather than the scene, so the sampled times
// step out of the flash windows.
int AwayFromFlashes(int t) {
    for (int flash : kFlashTimes) {
        if (t > flash - 2 && t < flash + kFlashWindow + 3) return flash + kFlashWindow + 5;
    }
    return t;
}

struct Frame {
    std::vector<unsigned char> rgb;  // 3 bytes a pixel
    bool ok = false;
};

Frame ReadFrame(const std::string& folder, int ms) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", ms);
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    Frame frame;
    if (!LoadPngRgb(&pixels, (folder + name).c_str(), &width, &height)) return frame;
    for (int i = 0; i < width * height; ++i)
        frame.rgb.insert(frame.rgb.end(), pixels + 4 * i, pixels + 4 * i + 3);
    std::free(pixels);
    frame.ok = true;
    return frame;
}

// Share of pixels brighter than a tenth of full scale.
double LitShare(const Frame& f) {
    size_t lit = 0;
    for (size_t i = 0; i + 2 < f.rgb.size(); i += 3) {
        const int grey = (f.rgb[i] * 299 + f.rgb[i + 1] * 587 + f.rgb[i + 2] * 114) / 1000;
        lit += grey > 25 ? 1 : 0;
    }
    return f.rgb.empty() ? 0.0 : static_cast<double>(lit) * 3 / f.rgb.size();
}

// Mean absolute difference per channel, as a share of full scale.
double Difference(const Frame& a, const Frame& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(a.rgb[i] - b.rgb[i]);
    return sum / a.rgb.size() / 255.0;
}

class SceneCapture : public HeadlessTest {};

}  // namespace

TEST_F(SceneCapture, EverySceneShowsSomethingMovingThroughItsSpan) {
    const std::string data = GeneratedDataFolder();
    ASSERT_FALSE(data.empty());
    const std::string parent = data.substr(0, data.size() - 5);  // without "/data"

    // Near the start, in the middle and near the end of each span, each with the frame one
    // second before it.
    std::vector<std::pair<const assets::ShowScene*, int>> samples;
    std::set<int> times;
    for (const assets::ShowScene& span : assets::ShowScenes()) {
        const int end = span.startMs + span.playsMs;
        const int picks[3] = {span.startMs + 1000, (span.startMs + end) / 2, end - 60};
        for (int t : picks) {
            t = AwayFromFlashes(t);
            const int before = AwayFromFlashes(t - 1000);
            samples.push_back({&span, t});
            // Each frame shows the pose the frame before it evaluated, so each sampled frame
            // is preceded by one 20 ms earlier.
            times.insert({std::max(0, before - 20), before, t - 20, t});
        }
    }
    std::string list;
    for (int t : times) list += (list.empty() ? "" : ",") + std::to_string(t);
    const TempFolder scratch;
    const std::string out = scratch / "frames";
    ProgramStart start;
    start.arguments = {BuiltProgram("kelvo-capture"), "--data", parent, "--out", out, "--at", list};
    const ToolRun run = RunProgram(start);
    ASSERT_EQ(0, run.exitCode) << run.err;

    for (const auto& sample : samples) {
        const int t = sample.second;
        SCOPED_TRACE(std::string(sample.first->fileName) + " at " + std::to_string(t) + " ms");
        const Frame now = ReadFrame(out, t);
        const Frame before = ReadFrame(out, AwayFromFlashes(t - 1000));
        ASSERT_TRUE(now.ok && before.ok);
        EXPECT_GT(LitShare(now), 0.05);
        EXPECT_GT(Difference(now, before), 0.01);
    }
    // Message boxes come out on stderr as "CAPTION: TEXT"; loading and drawing show none.
    EXPECT_EQ(std::string::npos, run.err.find("Error !")) << run.err;
}
