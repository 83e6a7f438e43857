// frame_times.cpp: frame indices and elapsed times of a capture.
#include "tools/capture/frame_times.h"

#include <cstdint>

#include "app/win_main.h"

int FrameTime(long i, int fps) { return int((std::int64_t(i) * 1000 + fps / 2) / fps); }

long FirstFrameFrom(int ms, int fps) {
    long i = long(std::int64_t(ms) * fps / 1000);
    while (i > 0 && FrameTime(i - 1, fps) >= ms) --i;
    while (FrameTime(i, fps) < ms) ++i;
    return i;
}

void SpanFrames(const CaptureOptions& options, long* first, long* end) {
    *first = FirstFrameFrom(options.fromMs, options.fps);
    *end = options.toMs < 0 ? FirstFrameFrom(kShowLength + 1, options.fps) + 1
                            : FirstFrameFrom(options.toMs, options.fps);
}

long SpanFrameCount(const CaptureOptions& options) {
    long first = 0, end = 0;
    SpanFrames(options, &first, &end);
    return end - first;
}

std::vector<int> WrittenFrameTimes(const CaptureOptions& options) {
    if (!options.atTimes.empty()) return options.atTimes;
    long first = 0, end = 0;
    SpanFrames(options, &first, &end);
    std::vector<int> times;
    for (long i = first; i < end; ++i) times.push_back(FrameTime(i, options.fps));
    return times;
}
