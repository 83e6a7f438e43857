// server_scaling_local.h: scaled full-screen pictures drawn by the X server (RENDER)
// instead of by GL, for software GL renderers.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/live/live_local.h"

namespace live {

// A server scaler for the window if SDL made it through X11, else null: with another SDL
// video driver there is no X server to scale the picture.
ServerScalerPointer MakeServerScaler(SDL_Window* window);

// Shows the picture of a scaled full-screen window through the X server: the picture is
// read back from GL as it is (RGB 5-6-5, which costs the software renderer nothing to
// convert), widened here, sent to the server at its own size, and the server's RENDER
// extension scales it (bilinear) into the window and fills the bars.
//
// A software renderer pays for every pixel it draws: at 1920 x 1080 a filtered GL quad
// and the copy of the whole window to the server cost Mesa's llvmpipe more than the show's
// own frame, while this path has the server scale on its own, alongside the next frame.
// On a GPU the GL path costs nothing, and a read-back would stall it, so this is used only
// with a software renderer (or KELVO_SERVER_SCALING=1); KELVO_SERVER_SCALING=0 turns it off.
//
// One per X11 window. The X resources it makes must go before the window does (Close).
class ServerScaler {
public:
    ServerScaler() = default;
    ~ServerScaler();
    ServerScaler(const ServerScaler&) = delete;
    ServerScaler& operator=(const ServerScaler&) = delete;

    // Reads the picture (pictureWidth x pictureHeight) from the framebuffer bound for
    // reading and has the server draw it scaled into fit on window, with black bars.
    // Opens on first use; false when this path is not used (not wanted, no X11 window,
    // RENDER older than 0.10, a window visual other than 24-bit 8-8-8 colour, or an error
    // while opening), and the caller then presents with GL.
    bool Present(SDL_Window* window, int pictureWidth, int pictureHeight, const SDL_Rect& fit,
                 int targetWidth, int targetHeight);
    // Frees the X resources; the window may then be destroyed.
    void Close();

private:
    bool Open(SDL_Window* window, int pictureWidth, int pictureHeight);
    void SetTransform(const SDL_Rect& fit);

    enum class State { kUntried, kOpen, kUnavailable };
    State state_ = State::kUntried;
    void* display_ = nullptr;   // the X display (Display*), SDL's connection
    unsigned long pixmap_ = 0;  // the picture at its own size, on the server
    void* gc_ = nullptr;        // the GC that puts the picture into the pixmap
    unsigned long source_ = 0;  // RENDER pictures of the pixmap and of the window
    unsigned long target_ = 0;
    void* image_ = nullptr;         // XImage over pixels_
    std::vector<Uint16> readBack_;  // the picture as read back, RGB 5-6-5, bottom row first
    std::vector<Uint32> pixels_;    // the same, widened for the server
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    SDL_Rect transformFit_ = {0, 0, 0, 0};
};

}  // namespace live
