// frame_times.cpp: frame times of the live program, printed per second of the show, and
// written frame by frame to the file KELVO_FRAME_TIMES_LOG names, if it is set.
//
// The show's seconds are counted from its first swap. The first frame (loading and the
// first compilation of the scenes' display lists) is left out, as kelvo-capture --bench
// does. Besides the time between swaps, the process's CPU time over the same span (all
// its threads: Mesa's software renderer draws on several) is noted, a figure that other
// programs sharing the machine disturb much less.
#include "platform/live/frame_times_local.h"

#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct Times {
    std::vector<double> wall;  // ms
    std::vector<double> cpu;   // ms
};

struct Frame {
    double atMs;  // since the first swap
    double wallMs;
    double cpuMs;
};

struct Recording {
    Uint64 firstSwap = 0;
    Uint64 lastSwap = 0;
    double lastCpuMs = 0.0;
    std::map<int, Times> perSecond;  // keyed by second of the show
    std::vector<Frame> frames;
};

Recording* recording = nullptr;

double MsBetween(Uint64 from, Uint64 to) {
    return static_cast<double>(to - from) * 1000.0 /
           static_cast<double>(SDL_GetPerformanceFrequency());
}

double ProcessCpuMs() {
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void PrintFigures(std::FILE* out, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::size_t p99 = std::min(times.size() - 1, (times.size() * 99 + 99) / 100 - 1);
    std::fprintf(out, " %9.2f %9.2f %9.2f", times[times.size() / 2], times[p99], times.back());
}

void PrintLine(std::FILE* out, const char* label, const Times& times) {
    std::fprintf(out, "  %-12s %7zu", label, times.wall.size());
    PrintFigures(out, times.wall);
    PrintFigures(out, times.cpu);
    std::fprintf(out, "\n");
}

// One line a frame: ms since the first swap, ms since the previous swap, ms of CPU time.
void WriteLog() {
    const char* path = std::getenv("KELVO_FRAME_TIMES_LOG");
    if (!path || !*path) return;
    std::FILE* log = std::fopen(path, "w");
    if (!log) {
        std::fprintf(stderr, "frame times: cannot write %s\n", path);
        return;
    }
    for (const Frame& frame : recording->frames)
        std::fprintf(log, "%.3f %.3f %.3f\n", frame.atMs, frame.wallMs, frame.cpuMs);
    std::fclose(log);
}

void Print() {
    if (!recording || recording->perSecond.empty()) return;
    WriteLog();
    std::fprintf(stderr,
                 "frame times from the second frame on, per second of the show: ms between swaps,"
                 " then ms of the process's CPU time\n");
    std::fprintf(stderr, "  %-12s %7s %9s %9s %9s %9s %9s %9s\n", "second", "frames", "median",
                 "p99", "worst", "cpu med", "cpu p99", "cpu worst");
    Times all;
    for (const auto& second : recording->perSecond) {
        char label[32];
        std::snprintf(label, sizeof label, "%d", second.first);
        PrintLine(stderr, label, second.second);
        all.wall.insert(all.wall.end(), second.second.wall.begin(), second.second.wall.end());
        all.cpu.insert(all.cpu.end(), second.second.cpu.begin(), second.second.cpu.end());
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
    double cpuMs = ProcessCpuMs();
    if (!recording) {
        recording = new Recording;
        recording->firstSwap = recording->lastSwap = now;
        recording->lastCpuMs = cpuMs;
        std::atexit(Print);
        return;
    }
    double atMs = MsBetween(recording->firstSwap, now);
    Times& times = recording->perSecond[static_cast<int>(atMs / 1000.0)];
    times.wall.push_back(MsBetween(recording->lastSwap, now));
    times.cpu.push_back(cpuMs - recording->lastCpuMs);
    recording->frames.push_back({atMs, times.wall.back(), times.cpu.back()});
    recording->lastSwap = now;
    recording->lastCpuMs = cpuMs;
}

}  // namespace live
