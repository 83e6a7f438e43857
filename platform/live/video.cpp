// video.cpp: starting SDL's video subsystem with the GL attributes of the show's windows.
#include <cstdio>

#include "platform/live/live_local.h"
#include "platform/live/x11/display_loss_local.h"

namespace {

int videoState = 0;  // 0: not tried yet, 1: running, -1: no display

// The one pixel format the layer offers (ChoosePixelFormat): 16-bit RGB colour, 16-bit depth,
// double-buffered, compatibility profile. X11 fixes a window's visual when the window is
// made, so these are set before any window exists rather than by SetPixelFormat.
void SetGlAttributes() {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

// Where no display can be opened SDL falls back on drivers that draw into memory. The show
// would then play its whole length with nobody seeing it, so those count as no display
// unless SDL_VIDEODRIVER names one on purpose.
bool ShowsNothing(const char* driver) {
    return driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0 ||
                      SDL_strcmp(driver, "evdev") == 0);
}

}  // namespace

namespace live {

bool StartVideo() {
    if (videoState) return videoState > 0;
    // Termination signals are the desktop guard's; SDL would turn them into SDL_QUIT.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A full-screen window keeps its mode when another window takes the focus.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Cannot open the display: %s\n", SDL_GetError());
        videoState = -1;
        return false;
    }
    if (ShowsNothing(SDL_GetCurrentVideoDriver()) && !SDL_getenv("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "Cannot open the display: no display to show the window on\n");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoState = -1;
        return false;
    }
    videoState = 1;
    // Only the X11 driver holds a connection whose loss Xlib would answer with exit().
    if (SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) EndOnDisplayLoss();
    SetGlAttributes();
    return true;
}

bool VideoStarted() { return videoState > 0; }

}  // namespace live
