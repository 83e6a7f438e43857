// offscreen_frame.cpp: framebuffer objects for scaled full-screen windows, and their
// presentation with glBlitFramebuffer.
#include "platform/live/offscreen_frame_local.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;

    bool Complete() const {
        return genFramebuffers && bindFramebuffer && genRenderbuffers && bindRenderbuffer &&
               renderbufferStorage && framebufferRenderbuffer && checkFramebufferStatus &&
               blitFramebuffer;
    }
};

FramebufferCalls calls;

template <typename Function>
void Load(Function* function, const char* name, const char* suffix) {
    *function = reinterpret_cast<Function>(SDL_GL_GetProcAddress((std::string(name) + suffix).c_str()));
}

// The entry points of the current context: the core (and ARB) names, or the EXT ones.
// The EXT enumerants have the core values. false when the context offers neither.
bool LoadCalls() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    bool core = (version && std::atoi(version) >= 3) ||
                SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object");
    bool ext = SDL_GL_ExtensionSupported("GL_EXT_framebuffer_object") &&
               SDL_GL_ExtensionSupported("GL_EXT_framebuffer_blit");
    if (!core && !ext) return false;
    const char* suffix = core ? "" : "EXT";
    FramebufferCalls loaded;
    Load(&loaded.genFramebuffers, "glGenFramebuffers", suffix);
    Load(&loaded.bindFramebuffer, "glBindFramebuffer", suffix);
    Load(&loaded.genRenderbuffers, "glGenRenderbuffers", suffix);
    Load(&loaded.bindRenderbuffer, "glBindRenderbuffer", suffix);
    Load(&loaded.renderbufferStorage, "glRenderbufferStorage", suffix);
    Load(&loaded.framebufferRenderbuffer, "glFramebufferRenderbuffer", suffix);
    Load(&loaded.checkFramebufferStatus, "glCheckFramebufferStatus", suffix);
    Load(&loaded.blitFramebuffer, "glBlitFramebuffer", suffix);
    if (!loaded.Complete()) return false;
    calls = loaded;
    return true;
}

bool ForcedOff() {
    const char* value = std::getenv("KELVO_NO_OFFSCREEN");
    return value && *value && std::strcmp(value, "0") != 0;
}

// A context on a hidden window, made only to ask the driver.
bool AskDriver() {
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) return false;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    bool available = false;
    if (SDL_GLContext context = SDL_GL_CreateContext(window)) {
        available = LoadCalls();
        SDL_GL_MakeCurrent(previousWindow, previousContext);
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
    return available;
}

// The GL state Present changes, kept to be put back.
struct SavedState {
    GLboolean scissorTest;
    GLboolean colourMask[4];
    GLfloat clearColour[4];

    SavedState() {
        scissorTest = glIsEnabled(GL_SCISSOR_TEST);
        glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    }
    void Restore() const {
        if (scissorTest) glEnable(GL_SCISSOR_TEST);
        glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    }
};

}  // namespace

namespace live {

bool OffscreenFramesAvailable() {
    static int answer = -1;
    if (answer < 0) answer = !ForcedOff() && AskDriver() ? 1 : 0;
    return answer == 1;
}

SDL_Rect FitPicture(int pictureWidth, int pictureHeight, int targetWidth, int targetHeight) {
    SDL_Rect fit = {0, 0, targetWidth, targetHeight};
    if (pictureWidth <= 0 || pictureHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return fit;
    long long wide = static_cast<long long>(targetWidth) * pictureHeight;
    long long tall = static_cast<long long>(targetHeight) * pictureWidth;
    if (wide > tall)  // bars left and right
        fit.w = static_cast<int>((tall + pictureHeight / 2) / pictureHeight);
    else if (wide < tall)  // bars above and below
        fit.h = static_cast<int>((wide + pictureWidth / 2) / pictureWidth);
    fit.x = (targetWidth - fit.w) / 2;
    fit.y = (targetHeight - fit.h) / 2;
    return fit;
}

bool OffscreenFrame::Create(int width, int height) {
    if (!calls.Complete() && !LoadCalls()) return false;
    calls.genFramebuffers(1, &framebuffer_);
    calls.genRenderbuffers(1, &colourBuffer_);
    calls.genRenderbuffers(1, &depthBuffer_);
    calls.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    calls.bindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    calls.renderbufferStorage(GL_RENDERBUFFER, GL_RGB565, width, height);
    calls.bindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    calls.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    width_ = width;
    height_ = height;
    if (calls.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        calls.bindFramebuffer(GL_FRAMEBUFFER, 0);
        framebuffer_ = 0;  // the objects go with the context
        return false;
    }
    Bind();
    return true;
}

void OffscreenFrame::Bind() const {
    calls.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

void OffscreenFrame::Present(SDL_Window* window) const {
    int targetWidth = 0, targetHeight = 0;
    SDL_GL_GetDrawableSize(window, &targetWidth, &targetHeight);
    SDL_Rect fit = FitPicture(width_, height_, targetWidth, targetHeight);
    SavedState saved;
    calls.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    calls.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (fit.w != targetWidth || fit.h != targetHeight) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Linear filtering keeps the scaled picture smooth; at the picture's own size each
    // pixel is copied as it is.
    GLenum filter = fit.w == width_ && fit.h == height_ ? GL_NEAREST : GL_LINEAR;
    calls.blitFramebuffer(0, 0, width_, height_, fit.x, fit.y, fit.x + fit.w, fit.y + fit.h,
                          GL_COLOR_BUFFER_BIT, filter);
    SDL_GL_SwapWindow(window);
    Bind();
    saved.Restore();
}

}  // namespace live
