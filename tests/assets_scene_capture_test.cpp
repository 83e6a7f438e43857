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

#include "gfx/png_reader.h"
#include "support/generated_data.h"
#include "support/headless_window.h"
#include "support/test_files.h"
#include "support/tool_runs.h"

namespace {

struct Span {
    const char* name;
    int start, end;  // ms of show time
};

const Span kSpans[] = {
    {"btitre.3ds", 0, 6666},         {"32.3ds", 6666, 13333},        {"tube.3ds", 13333, 26666},
    {"tube1.3ds", 26666, 40000},     {"line.3ds", 40000, 60000},     {"vil.3ds", 60000, 100000},
    {"planne.3ds", 100000, 113333},  {"planne2.3ds", 113333, 126667}, {"vide.3ds", 126667, 140000},
    {"doble.3ds", 140000, 160000},   {"roulet.3ds", 160000, 166667}, {"roulet2.3ds", 166667, 186667},
    {"roulet3.3ds", 186667, 207100},
};

// Pictures flash from 60416 ms on every 416.7 ms for 74 ms; frames taken in those windows show
// a picture rather than the scene, so the sampled times step out of them.
int AwayFromFlashes(int t) {
    for (int k = 0; k < 63; ++k) {
        const int flash = static_cast<int>(60416 + k * 1250.0 / 3.0 + 0.5) - 1;
        if (t > flash - 2 && t < flash + 78) return flash + 80;
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
    for (int i = 0; i < width * height; ++i) frame.rgb.insert(frame.rgb.end(), pixels + 4 * i, pixels + 4 * i + 3);
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
    std::vector<std::pair<const Span*, int>> samples;
    std::set<int> times;
    for (const Span& span : kSpans) {
        const int picks[3] = {span.start + 1000, (span.start + span.end) / 2, span.end - 60};
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
        SCOPED_TRACE(std::string(sample.first->name) + " at " + std::to_string(t) + " ms");
        const Frame now = ReadFrame(out, t);
        const Frame before = ReadFrame(out, AwayFromFlashes(t - 1000));
        ASSERT_TRUE(now.ok && before.ok);
        EXPECT_GT(LitShare(now), 0.05);
        EXPECT_GT(Difference(now, before), 0.01);
    }
    // Message boxes come out on stderr as "CAPTION: TEXT"; loading and drawing show none.
    EXPECT_EQ(std::string::npos, run.err.find("Error !")) << run.err;
}
