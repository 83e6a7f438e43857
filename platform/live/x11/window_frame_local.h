// window_frame_local.h: the thickness of the frame a window manager puts around a window.
#pragma once

#include <SDL.h>

struct _XDisplay;

namespace live {

// Pixels the frame and caption add on each side of the client area.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// Asks the window manager for the frame it gives (or would give) the window and waits
// briefly for the answer. false when no window manager runs or none answers.
bool ReadFrameExtents(SDL_Window* window, FrameExtents* extents);
// The same for a window of an X connection.
bool ReadFrameExtents(_XDisplay* display, unsigned long window, FrameExtents* extents);

}  // namespace live
