// frame_stats.cpp: collecting and printing kelvo-capture's benchmark figures.
#include "tools/capture/frame_stats.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "demo/flash_table.h"
#include "demo/scene_player.h"
#include "scene/scene.h"

FrameStats::FrameStats(const ScenePlayer* player) : player(player) {
    if (!player) return;
    for (int i = 0; i <= player->sceneCount; ++i) {
        const char* path = player->scenes[i] ? player->scenes[i]->path : "";
        const char* name = std::strrchr(path, '\\');
        groups.push_back({name ? name + 1 : path, {}, -1});
    }
    groups.push_back({"picture flashes", {}, -1});
}

// The same choice ScenePlayer::Render makes for a frame.
int FrameStats::GroupOf(int elapsed) const {
    for (int k = 0; k < kFlashCount; ++k)
        if (kFlashTimes[k] < elapsed && elapsed < kFlashTimes[k] + kFlashWindow)
            return int(groups.size()) - 1;
    int k = 0;
    int passed = 0;
    for (int i = 0; i < player->sceneCount && elapsed - passed >= player->durations[i]; ++i) {
        passed += player->durations[i];
        ++k;
    }
    return k;
}

void FrameStats::AddFrame(int elapsed, double ms) {
    all.push_back(ms);
    if (groups.empty()) return;
    // Memory grows while each scene compiles its display lists in its first frames; the
    // peak after each group's frames shows where it stops growing.
    Group& group = groups[GroupOf(elapsed)];
    group.times.push_back(ms);
    group.peakKb = PeakResidentKb();
}

long FrameStats::PeakResidentKb() {
    long value = -1;
    if (std::FILE* file = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, file))
            if (std::strncmp(line, "VmHWM:", 6) == 0) value = std::atol(line + 6);
        std::fclose(file);
    }
    return value;
}

void FrameStats::PrintGroup(std::FILE* out, const std::string& name, std::vector<double> times,
                            long peakKb) {
    if (times.empty()) {
        std::fprintf(out, "  %-18s %7d\n", name.c_str(), 0);
        return;
    }
    std::sort(times.begin(), times.end());
    std::size_t p99 = std::min(times.size() - 1, (times.size() * 99 + 99) / 100 - 1);
    std::fprintf(out, "  %-18s %7zu %9.2f %9.2f %9.2f %9.1f\n", name.c_str(), times.size(),
                 times[times.size() / 2], times[p99], times.back(), peakKb / 1024.0);
}

void FrameStats::Print(std::FILE* out, int markFrame) const {
    std::fprintf(out, "load time (start-up to the first frame shown): %.1f ms\n", loadMs);
    std::fprintf(out,
                 "frame times from the second frame on, ms of real time; peak resident memory\n"
                 "after each row's latest frame:\n");
    std::fprintf(out, "  %-18s %7s %9s %9s %9s %9s\n", "", "frames", "median", "p99", "worst",
                 "peak MB");
    long endKb = PeakResidentKb();
    for (const Group& group : groups) PrintGroup(out, group.name, group.times, group.peakKb);
    PrintGroup(out, "whole show", all, endKb);
    if (peakAtMarkKb >= 0)
        std::fprintf(out, "peak resident memory: %.1f MB at frame %d, %.1f MB at the end\n",
                     peakAtMarkKb / 1024.0, markFrame, endKb / 1024.0);
    else
        std::fprintf(out, "peak resident memory: %.1f MB at the end\n", endKb / 1024.0);
}
