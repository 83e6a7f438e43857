// scene_costs.cpp: where each scene of the show spends its frame time at 640 x 480: the whole
// frame, and the same frame with rasterisation cut to one pixel by the scissor box (what is
// left is transform, lighting and state changes; the difference is filling pixels).
//
// With a scene index, it measures only that scene and also tells what each group of same-named
// top-level nodes costs: the whole frame less the frame drawn without them.
//
// Usage: bench_scene_costs [folder holding data/, default .] [frames per scene, default 120]
//                          [scene index for the node breakdown]
#include "platform/win32.h"

#include <unistd.h>

#define GL_GLEXT_PROTOTYPES
#include "platform/gl.h"
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "tools/bench/bench_window.h"
#include "demo/scene_player.h"
#include "gfx/texture_registry.h"
#include "platform/headless/headless.h"
#include "scene/scene.h"

namespace {

using Clock = std::chrono::steady_clock;

const double kScreenPixels = 640.0 * 480.0;

// CPU time of the whole process (every rendering thread), ms: unlike the time on the wall, it
// hardly changes when other programs share the machine.
double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct FrameTimes {
    double wallMs;  // median
    double cpuMs;   // median
};

// Times of drawing scene at the given times, each after a cleared frame. Each time is drawn
// three times and the quickest kept: whatever else runs on the machine only ever adds time.
FrameTimes MedianFrameTimes(Scene* scene, const std::vector<int>& times) {
    std::vector<double> wall, cpu;
    for (int time : times) {
        double quickestWall = 1e9, quickestCpu = 1e9;
        for (int repeat = 0; repeat < 3; ++repeat) {
            const Clock::time_point start = Clock::now();
            const double cpuStart = ProcessCpuMs();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            scene->DrawFrame(time);
            glFinish();
            quickestCpu = std::min(quickestCpu, ProcessCpuMs() - cpuStart);
            quickestWall =
                std::min(quickestWall,
                         std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        cpu.push_back(quickestCpu);
        wall.push_back(quickestWall);
    }
    return {Median(wall), Median(cpu)};
}

// Mean fragments written per frame, in screens (640 x 480): how often each pixel is filled.
// Unlike times, it does not depend on what else the machine is doing.
double MeanOverdraw(Scene* scene, const std::vector<int>& times) {
    GLuint query = 0;
    glGenQueries(1, &query);
    double total = 0;
    for (int time : times) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBeginQuery(GL_SAMPLES_PASSED, query);
        scene->DrawFrame(time);
        glEndQuery(GL_SAMPLES_PASSED);
        GLuint samples = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
        total += samples;
    }
    glDeleteQueries(1, &query);
    return total / times.size() / kScreenPixels;
}

// The top-level object node names of a scene, each once, in file order.
std::vector<std::string> TopLevelNames(Lib3dsFile* file) {
    std::vector<std::string> names;
    for (Lib3dsNode* node = file->nodes; node; node = node->next) {
        if (node->type != LIB3DS_OBJECT_NODE) continue;
        bool seen = false;
        for (const std::string& name : names) seen = seen || name == node->name;
        if (!seen) names.push_back(node->name);
    }
    return names;
}

struct Costs {
    double cpuMs;     // median CPU time a frame
    double overdraw;  // screens filled a frame
};

Costs Measure(Scene* scene, const std::vector<int>& times) {
    return {MedianFrameTimes(scene, times).cpuMs, MeanOverdraw(scene, times)};
}

// Costs without the top-level nodes called name (and their subtrees).
Costs CostsWithout(Scene* scene, const std::string& name, const std::vector<int>& times) {
    Lib3dsNode* original = scene->file->nodes;
    std::vector<Lib3dsNode*> order;
    for (Lib3dsNode* node = original; node; node = node->next) order.push_back(node);
    Lib3dsNode* kept = nullptr;
    Lib3dsNode** tail = &kept;
    for (Lib3dsNode* node : order) {
        if (node->type == LIB3DS_OBJECT_NODE && name == node->name) continue;
        *tail = node;
        tail = &node->next;
    }
    *tail = nullptr;
    scene->file->nodes = kept;
    const Costs costs = Measure(scene, times);
    for (size_t i = 0; i < order.size(); ++i)
        order[i]->next = i + 1 < order.size() ? order[i + 1] : nullptr;
    scene->file->nodes = original;
    return costs;
}

void PrintNodeBreakdown(Scene* scene, const std::vector<int>& times) {
    const Costs whole = Measure(scene, times);
    std::printf(
        "  %s: %.2f ms of CPU, %.2f screens filled a frame; what each group of top-level\n"
        "  nodes costs:\n",
        scene->path, whole.cpuMs, whole.overdraw);
    for (const std::string& name : TopLevelNames(scene->file)) {
        int count = 0;
        for (Lib3dsNode* node = scene->file->nodes; node; node = node->next)
            count += name == node->name;
        const Costs without = CostsWithout(scene, name, times);
        std::printf("    %-16s x%-3d %6.2f ms %6.2f screens\n", name.c_str(), count,
                    whole.cpuMs - without.cpuMs, whole.overdraw - without.overdraw);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 1;
    }
    const int frames = argc > 2 ? std::max(3, std::atoi(argv[2])) : 120;
    const int detailed = argc > 3 ? std::atoi(argv[3]) : -1;
    headless::Reset();
    headless::SetCallLogging(false);
    BenchWindow window;
    if (!OpenBenchWindow(&window)) {
        std::fprintf(stderr, "cannot open the headless window\n");
        return 1;
    }
    textureRegistry = new TextureRegistry();
    ScenePlayer player;
    player.Init();

    std::printf("%s, 640 x 480, median of %d frames spread over each scene's span (ms)\n",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), frames);
    std::printf(
        "  scene             wall    CPU   CPU with a one-pixel scissor   screens filled\n");
    for (int k = 0; k <= player.sceneCount && player.scenes[k]; ++k) {
        if (detailed >= 0 && k != detailed) continue;
        std::vector<int> times;
        for (int i = 0; i < frames; ++i)
            times.push_back(int(std::int64_t(player.durations[k]) * i / frames));
        player.scenes[k]->DrawFrame(0);  // compiles the display lists
        const FrameTimes whole = MedianFrameTimes(player.scenes[k], times);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
        const FrameTimes vertices = MedianFrameTimes(player.scenes[k], times);
        glDisable(GL_SCISSOR_TEST);
        std::printf("  %-14s %7.2f %6.2f %30.2f %16.2f\n", player.scenes[k]->path + 5, whole.wallMs,
                    whole.cpuMs, vertices.cpuMs, MeanOverdraw(player.scenes[k], times));
        if (k == detailed) PrintNodeBreakdown(player.scenes[k], times);
    }
    return 0;
}
