// frame_times.h: which frames a capture draws and writes, as elapsed show times.
#pragma once

#include <vector>

#include "tools/capture/capture_options.h"

// Elapsed time of the frame at index i (0 for the first) at fps frames per second.
int FrameTime(long i, int fps);

// The first frame index at or after ms.
long FirstFrameFrom(int ms, int fps);

// With a frame rate: frames first to end - 1 are written. Without --to, end is one past the
// frame that ends the show (the first past its length).
void SpanFrames(const CaptureOptions& options, long* first, long* end);

// How many frames a capture at the options' frame rate writes: those of its span.
long SpanFrameCount(const CaptureOptions& options);

// The elapsed times of every frame the capture may write, in the order it writes them.
std::vector<int> WrittenFrameTimes(const CaptureOptions& options);
