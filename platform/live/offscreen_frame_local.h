// offscreen_frame_local.h: the picture of a scaled full-screen window, drawn into a
// framebuffer object of the picture's size and shown scaled to the display at each swap.
#pragma once

#include <SDL.h>

#include "platform/live/scaled_picture_local.h"

namespace live {

class ServerScaler;

// Whether the GL driver can draw into a framebuffer object and scale it onto a window
// (OpenGL 3.0, ARB_framebuffer_object, or EXT_framebuffer_object with EXT_framebuffer_blit).
// Asked once, of a context on a hidden window. The environment variable
// KELVO_NO_OFFSCREEN=1 makes the answer false, so that the exact-mode path can be tried.
bool OffscreenFramesAvailable();

// One per GL context. Everything here acts on the current context.
class OffscreenFrame {
public:
    // Makes the framebuffer (RGB565 colour, 16-bit depth) and binds it; false when the
    // driver refuses it.
    bool Create(int width, int height);
    bool Created() const { return framebuffer_ != 0; }
    // Binds the framebuffer, so that the program's drawing and reading go to it.
    void Bind() const;
    // Shows the picture on the window's drawable, scaled with black bars, and binds the
    // framebuffer again. A scaled picture goes through the window's server scaler when
    // there is one (X11 windows) and it is used, else GL draws it and the window's buffers
    // are swapped. The GL state it touches is put back.
    void Present(SDL_Window* window, ServerScaler* serverScaler);

private:
    void ClearBars(const SDL_Rect& fit, int targetWidth, int targetHeight) const;
    void CopyOnto(const SDL_Rect& fit, int targetWidth, int targetHeight) const;
    void ScaleOnto(const SDL_Rect& fit, int targetWidth, int targetHeight);
    bool MakeScaleTexture();

    unsigned int framebuffer_ = 0;
    unsigned int colourBuffer_ = 0;
    unsigned int depthBuffer_ = 0;
    unsigned int scaleTexture_ = 0;  // 8 bits a channel, filtered when drawn scaled
    unsigned int scaleFramebuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace live
