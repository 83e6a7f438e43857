// capture_run.h: one run of the show on the headless layer, frame by frame on a virtual clock.
#pragma once

#include "tools/capture/capture_options.h"

// Runs WinMain once as the options ask: answers the dialog, sets the clock before each
// frame, writes or times the frames, ends the show after the last frame asked for.
// Returns the process's exit code: the program's own (0), or 1 when a frame could not be
// written or the show ended before its length without drawing the frames asked for.
int RunCapture(const CaptureOptions& options);
