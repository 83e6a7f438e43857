// gl_context.cpp: device contexts, the pixel format and OpenGL contexts over SDL_GL.
// Provides GetDC, ReleaseDC, ChoosePixelFormat, SetPixelFormat, SwapBuffers,
// wglCreateContext, wglMakeCurrent and wglDeleteContext.
#include <algorithm>
#include <vector>

#include "platform/live/live_local.h"

namespace {

// The one pixel format offered; its attributes are set in video.cpp.
constexpr int kOnlyPixelFormat = 1;

struct Context {
    SDL_GLContext sdlContext;
    bool swapIntervalSet;
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
    SDL_GL_SwapWindow(window->sdlWindow);
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
    Contexts().push_back(new Context{sdlContext, false});
    return reinterpret_cast<HGLRC>(Contexts().back());
}

BOOL wglMakeCurrent(HDC dc, HGLRC handle) {
    if (!dc && !handle) return SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr) == 0;
    live::Window* window = live::FindWindowByDc(dc);
    Context* context = FindContext(handle);
    if (!window || !context || !window->pixelFormat) return FALSE;
    if (SDL_GL_MakeCurrent(window->sdlWindow, context->sdlContext) != 0) return FALSE;
    if (!context->swapIntervalSet) {
        // A swap waits for the display where the driver allows it; refused otherwise.
        SDL_GL_SetSwapInterval(1);
        context->swapIntervalSet = true;
    }
    return TRUE;
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
