// frame_log.cpp: the times of the live program's buffer swaps, written to the file
// KELVO_FRAME_TIMES_LOG names, one line a frame: ms since the first swap, ms since the
// previous swap, ms of the process's CPU time over the same span (all its threads: Mesa's
// software renderer draws on several; other programs sharing the machine disturb this
// figure much less). The first frame (loading and the first compilation of the scenes'
// display lists) is left out, as kelvo-capture --bench does.
//
// The lines are kept in memory and written at exit under a temporary name beside the file,
// which is then renamed onto it: the file is whole or not written at all.
#include "platform/live/frame_log_local.h"

#include <SDL.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Frame {
    double atMs;
    double wallMs;
    double cpuMs;
};

struct Recording {
    std::string path;
    Uint64 firstSwap = 0;
    Uint64 lastSwap = 0;
    double lastCpuMs = 0.0;
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

bool WriteFrames(int fd) {
    std::FILE* out = fdopen(fd, "w");
    if (!out) {
        close(fd);
        return false;
    }
    for (const Frame& frame : recording->frames)
        std::fprintf(out, "%.3f %.3f %.3f\n", frame.atMs, frame.wallMs, frame.cpuMs);
    bool written = std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    return std::fclose(out) == 0 && written;
}

void WriteLog() {
    const std::string& path = recording->path;
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(&temporary[0]);
    // mkstemp makes the file readable by its owner only; the log is an ordinary file.
    if (fd < 0 || fchmod(fd, 0644) != 0 || !WriteFrames(fd) ||
        std::rename(temporary.c_str(), path.c_str()) != 0) {
        if (fd >= 0) std::remove(temporary.c_str());
        std::fprintf(stderr, "frame times: cannot write %s\n", path.c_str());
    }
}

}  // namespace

namespace live {

bool FrameLogWanted() {
    const char* path = std::getenv("KELVO_FRAME_TIMES_LOG");
    return path && *path;
}

void NoteFrameSwapped() {
    static bool wanted = FrameLogWanted();
    if (!wanted) return;
    Uint64 now = SDL_GetPerformanceCounter();
    double cpuMs = ProcessCpuMs();
    if (!recording) {
        recording = new Recording;
        recording->path = std::getenv("KELVO_FRAME_TIMES_LOG");
        recording->firstSwap = recording->lastSwap = now;
        recording->lastCpuMs = cpuMs;
        std::atexit(WriteLog);
        return;
    }
    recording->frames.push_back({MsBetween(recording->firstSwap, now),
                                 MsBetween(recording->lastSwap, now),
                                 cpuMs - recording->lastCpuMs});
    recording->lastSwap = now;
    recording->lastCpuMs = cpuMs;
}

}  // namespace live
