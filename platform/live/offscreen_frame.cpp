// offscreen_frame.cpp: framebuffer objects for scaled full-screen windows, and their
// presentation.
//
// At the picture's own size the picture is copied onto the window as it is. Scaled, it is
// first copied into a texture of 8 bits a channel, which is then drawn as one linearly
// filtered quad: on Mesa's software renderer that costs about 40 % less than a filtered
// glBlitFramebuffer from the 16-bit picture (measured at 1920 x 1080), and a GPU does
// either for nothing.
#include "platform/live/offscreen_frame_local.h"
#include "platform/live/x11/server_scaling_local.h"

#include "platform/gl.h"
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
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;

    bool Complete() const {
        return genFramebuffers && bindFramebuffer && genRenderbuffers && bindRenderbuffer &&
               renderbufferStorage && framebufferRenderbuffer && checkFramebufferStatus &&
               blitFramebuffer && framebufferTexture2D;
    }
};

FramebufferCalls calls;

template <typename Function>
void Load(Function* function, const char* name, const char* suffix) {
    *function =
        reinterpret_cast<Function>(SDL_GL_GetProcAddress((std::string(name) + suffix).c_str()));
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
    Load(&loaded.framebufferTexture2D, "glFramebufferTexture2D", suffix);
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

// Draws the bound texture over the whole viewport, with the program's GL state kept
// aside and put back afterwards.
void DrawTexturedQuad() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    for (GLenum mode : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPushMatrix();
        glLoadIdentity();
    }
    for (GLenum capability :
         {GL_ALPHA_TEST, GL_BLEND, GL_COLOR_LOGIC_OP, GL_COLOR_MATERIAL, GL_CULL_FACE,
          GL_DEPTH_TEST, GL_DITHER, GL_FOG, GL_LIGHTING, GL_POLYGON_STIPPLE, GL_SCISSOR_TEST,
          GL_STENCIL_TEST, GL_TEXTURE_1D, GL_TEXTURE_GEN_Q, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_S,
          GL_TEXTURE_GEN_T})
        glDisable(capability);
    glEnable(GL_TEXTURE_2D);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPopMatrix();
    }
    glPopClientAttrib();
    glPopAttrib();  // the matrix mode, viewport, bound texture and enables too
}

}  // namespace

namespace live {

bool OffscreenFramesAvailable() {
    static int answer = -1;
    if (answer < 0) answer = !ForcedOff() && AskDriver() ? 1 : 0;
    return answer == 1;
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
    calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  colourBuffer_);
    calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  depthBuffer_);
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

void OffscreenFrame::Present(SDL_Window* window, ServerScaler* serverScaler) {
    int targetWidth = 0, targetHeight = 0;
    SDL_GL_GetDrawableSize(window, &targetWidth, &targetHeight);
    SDL_Rect fit = FitPicture(width_, height_, targetWidth, targetHeight);
    bool scaled = fit.w != width_ || fit.h != height_;
    if (scaled && serverScaler) {
        Bind();  // the picture is read from the framebuffer
        if (serverScaler->Present(window, width_, height_, fit, targetWidth, targetHeight)) return;
    }
    if (scaled)
        ScaleOnto(fit, targetWidth, targetHeight);
    else
        CopyOnto(fit, targetWidth, targetHeight);
    SDL_GL_SwapWindow(window);
    Bind();
}

void OffscreenFrame::ClearBars(const SDL_Rect& fit, int targetWidth, int targetHeight) const {
    if (fit.w == targetWidth && fit.h == targetHeight) return;
    GLboolean scissorTest = glIsEnabled(GL_SCISSOR_TEST);
    GLboolean colourMask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (scissorTest) glEnable(GL_SCISSOR_TEST);
    glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

void OffscreenFrame::CopyOnto(const SDL_Rect& fit, int targetWidth, int targetHeight) const {
    calls.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    calls.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    ClearBars(fit, targetWidth, targetHeight);
    GLboolean scissorTest = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    calls.blitFramebuffer(0, 0, width_, height_, fit.x, fit.y, fit.x + fit.w, fit.y + fit.h,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (scissorTest) glEnable(GL_SCISSOR_TEST);
}

void OffscreenFrame::ScaleOnto(const SDL_Rect& fit, int targetWidth, int targetHeight) {
    if (!scaleTexture_ && !MakeScaleTexture()) {
        // Without the texture, a filtered blit does the same, more slowly.
        calls.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        calls.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDrawBuffer(GL_BACK);
        ClearBars(fit, targetWidth, targetHeight);
        calls.blitFramebuffer(0, 0, width_, height_, fit.x, fit.y, fit.x + fit.w, fit.y + fit.h,
                              GL_COLOR_BUFFER_BIT, GL_LINEAR);
        return;
    }
    calls.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    calls.bindFramebuffer(GL_DRAW_FRAMEBUFFER, scaleFramebuffer_);
    GLboolean scissorTest = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    calls.blitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
    if (scissorTest) glEnable(GL_SCISSOR_TEST);
    calls.bindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    ClearBars(fit, targetWidth, targetHeight);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glViewport(fit.x, fit.y, fit.w, fit.h);
    glBindTexture(GL_TEXTURE_2D, scaleTexture_);
    DrawTexturedQuad();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

bool OffscreenFrame::MakeScaleTexture() {
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width_, height_, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    GLuint framebuffer = 0;
    calls.genFramebuffers(1, &framebuffer);
    calls.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    calls.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    bool complete = calls.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    calls.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    if (!complete) {
        glDeleteTextures(1, &texture);
        return false;
    }
    scaleTexture_ = texture;
    scaleFramebuffer_ = framebuffer;
    return true;
}

}  // namespace live
