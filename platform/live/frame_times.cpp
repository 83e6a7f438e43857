// frame_times.cpp: frame times of the live program, printed per second of the show.
//
// The show's seconds are counted from its first swap. The first frame (loading and the
// first compilation of the scenes' display lists) is left out, as kelvo-capture --bench
// does.
#include "platform/live/frame_times_local.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct Recording {
    Uint64 firstSwap = 0;
    Uint64 lastSwap = 0;
    std::map<int, std::vector<double>> perSecond;  // ms, keyed by second of the show
};

Recording* recording = nullptr;

double MsBetween(Uint64 from, Uint64 to) {
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(SDL_GetPerformanceFrequency());
}

void PrintLine(std::FILE* out, const char* label, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::size_t p99 = std::min(times.size() - 1, (times.size() * 99 + 99) / 100 - 1);
    std::fprintf(out, "  %-12s %7zu %9.2f %9.2f %9.2f\n", label, times.size(), times[times.size() / 2],
                 times[p99], times.back());
}

void Print() {
    if (!recording || recording->perSecond.empty()) return;
    std::fprintf(stderr, "frame times, ms between swaps from the second frame on, per second of the show:\n");
    std::fprintf(stderr, "  %-12s %7s %9s %9s %9s\n", "second", "frames", "median", "p99", "worst");
    std::vector<double> all;
    for (const auto& second : recording->perSecond) {
        char label[32];
        std::snprintf(label, sizeof label, "%d", second.first);
        PrintLine(stderr, label, second.second);
        all.insert(all.end(), second.second.begin(), second.second.end());
    }
    PrintLine(stderr, "whole show", all);
}

}  // namespace

namespace live {

bool FrameTimesWanted() {
    const char* value = std::getenv("KELVO_FRAME_TIMES");
    return value && *value && std::strcmp(value, "0") != 0;
}

void NoteFrameSwapped() {
    static bool wanted = FrameTimesWanted();
    if (!wanted) return;
    Uint64 now = SDL_GetPerformanceCounter();
    if (!recording) {
        recording = new Recording;
        recording->firstSwap = recording->lastSwap = now;
        std::atexit(Print);
        return;
    }
    int second = static_cast<int>(MsBetween(recording->firstSwap, now) / 1000.0);
    recording->perSecond[second].push_back(MsBetween(recording->lastSwap, now));
    recording->lastSwap = now;
}

}  // namespace live
