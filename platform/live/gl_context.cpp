// gl_context.cpp: device contexts, the pixel format and OpenGL contexts over SDL_GL.
// Provides GetDC, ReleaseDC, ChoosePixelFormat, SetPixelFormat, SwapBuffers,
// wglCreateContext, wglMakeCurrent and wglDeleteContext.
#include <algorithm>
#include <vector>

#include "platform/gl.h"

#include "platform/live/frame_log_local.h"
#include "platform/live/live_local.h"
#include "platform/live/offscreen_frame_local.h"

namespace {

// The one pixel format offered; its attributes are set in video.cpp.
constexpr int kOnlyPixelFormat = 1;

struct Context {
    SDL_GLContext sdlContext;
    bool swapIntervalSet;
    // The picture of a scaled full-screen window, made when the context is first made
    // current on one.
    live::OffscreenFrame frame;
};

std::vector<Context*>& Contexts() {
    static std::vector<Context*> contexts;
    return contexts;
}

Context* FindContext(HGLRC handle) {
    for (Context* context : Contexts())
        if (reinterpret_cast<HGLRC>(context) == handle) return context;
    return nullptr;
}

Context* CurrentContext() {
    SDL_GLContext current = SDL_GL_GetCurrentContext();
    for (Context* context : Contexts())
        if (context->sdlContext == current) return context;
    return nullptr;
}

// The program draws into the picture of a scaled window: the framebuffer stays bound
// while the context is current, except during the presentation at each swap.
bool AttachPicture(live::Window* window, Context* context) {
    if (!window->scaled) return true;
    if (context->frame.Created()) {
        context->frame.Bind();
        return true;
    }
    if (!context->frame.Create(window->pictureWidth, window->pictureHeight)) return false;
    // A context first made current on a window gets a viewport of the window's size; here
    // that is the picture's, as for a window of the picture's size.
    glViewport(0, 0, window->pictureWidth, window->pictureHeight);
    return true;
}

// Vertical sync is asked for, so that the show neither tears nor burns a core; the frame
// log of the frame-time benchmark turns it off to measure.
int SwapInterval() { return live::FrameLogWanted() ? 0 : 1; }

}  // namespace

HDC GetDC(HWND window) {
    live::Window* found = live::FindWindow(window);
    return found ? live::DcOf(found) : nullptr;
}

int ReleaseDC(HWND window, HDC dc) {
    live::Window* found = live::FindWindow(window);
    return found && live::DcOf(found) == dc ? 1 : 0;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request) {
    if (!live::FindWindowByDc(dc) || !request) return 0;
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->dwFlags & needed) != needed || request->iPixelType != PFD_TYPE_RGBA) return 0;
    return kOnlyPixelFormat;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    live::Window* window = live::FindWindowByDc(dc);
    if (!window || format != kOnlyPixelFormat) return FALSE;
    // A window's pixel format is set once and never changed.
    if (window->pixelFormat && window->pixelFormat != format) return FALSE;
    window->pixelFormat = format;
    return TRUE;
}

BOOL SwapBuffers(HDC dc) {
    live::Window* window = live::FindWindowByDc(dc);
    if (!window || !window->pixelFormat) return FALSE;
    Context* context = CurrentContext();
    if (window->scaled && context && context->frame.Created() &&
        SDL_GL_GetCurrentWindow() == window->sdlWindow)
        context->frame.Present(window->sdlWindow, window->serverScaler.get());
    else
        SDL_GL_SwapWindow(window->sdlWindow);
    live::NoteFrameSwapped();
    return TRUE;
}

HGLRC wglCreateContext(HDC dc) {
    live::Window* window = live::FindWindowByDc(dc);
    if (!window || !window->pixelFormat) return nullptr;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GLContext sdlContext = SDL_GL_CreateContext(window->sdlWindow);
    if (!sdlContext) return nullptr;
    // SDL makes the new context current; wglCreateContext leaves the current one alone.
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    Contexts().push_back(new Context{sdlContext, false, {}});
    return reinterpret_cast<HGLRC>(Contexts().back());
}

BOOL wglMakeCurrent(HDC dc, HGLRC handle) {
    if (!dc && !handle) return SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr) == 0;
    live::Window* window = live::FindWindowByDc(dc);
    Context* context = FindContext(handle);
    if (!window || !context || !window->pixelFormat) return FALSE;
    if (SDL_GL_MakeCurrent(window->sdlWindow, context->sdlContext) != 0) return FALSE;
    if (!context->swapIntervalSet) {
        // Refused by drivers that cannot wait for the display; the swap then does not wait.
        SDL_GL_SetSwapInterval(SwapInterval());
        context->swapIntervalSet = true;
    }
    return AttachPicture(window, context) ? TRUE : FALSE;
}

BOOL wglDeleteContext(HGLRC handle) {
    Context* context = FindContext(handle);
    if (!context) return FALSE;
    if (SDL_GL_GetCurrentContext() == context->sdlContext)
        SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
    SDL_GL_DeleteContext(context->sdlContext);
    auto& contexts = Contexts();
    contexts.erase(std::remove(contexts.begin(), contexts.end(), context), contexts.end());
    delete context;
    return TRUE;
}
