// output_guard.h: what is already at the paths a capture would write, checked before the show
// starts.
#pragma once

#include <string>

#include "tools/capture/capture_options.h"

// False with a one-line reason naming the path when the capture would write over something:
// any file at the video's path or at a frame or soundtrack.wav it writes (the first one, in
// the order they are written), unless options.overwrite allows it. A video path that leads to
// anything but a regular file (a device, a FIFO), or a frame or soundtrack path that is
// itself no regular file or link, is refused even then. Paths must be absolute.
bool CheckNothingIsOverwritten(const CaptureOptions& options, std::string* error);
