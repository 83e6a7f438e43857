// viewport_probe.cpp: loaded into the live program (LD_PRELOAD) by end-to-end tests;
// before each frame is presented it notes the GL viewport, the window's drawable size and
// how the frame is presented ("swap": a buffer swap; "server": the X server scales the
// picture) in the file named by KELVO_VIEWPORT_LOG, one line each time any of them changes.
#include <GL/gl.h>
#include <SDL.h>
#include <X11/extensions/Xrender.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum { kBySwap, kByServer };

using SwapFunction = void (*)(SDL_Window*);
using CompositeFunction = void (*)(Display*, int, Picture, Picture, Picture, int, int, int, int,
                                   int, int, unsigned int, unsigned int);

void Note(SDL_Window* window, int how) {
    static int last[7] = {-1, -1, -1, -1, -1, -1, -1};
    const char* path = std::getenv("KELVO_VIEWPORT_LOG");
    if (!path) return;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    int now[7] = {viewport[0], viewport[1], viewport[2], viewport[3], 0, 0, how};
    SDL_GL_GetDrawableSize(window, &now[4], &now[5]);
    if (std::memcmp(now, last, sizeof now) == 0) return;
    std::memcpy(last, now, sizeof now);
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%d %d %d %d %d %d %s\n", now[0], now[1], now[2], now[3], now[4], now[5],
                     how == kBySwap ? "swap" : "server");
        std::fclose(file);
    }
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    static SwapFunction next =
        reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    Note(window, kBySwap);
    if (next) next(window);
}

extern "C" void XRenderComposite(Display* display, int op, Picture source, Picture mask,
                                 Picture target, int sourceX, int sourceY, int maskX, int maskY,
                                 int targetX, int targetY, unsigned int width,
                                 unsigned int height) {
    static CompositeFunction next =
        reinterpret_cast<CompositeFunction>(dlsym(RTLD_NEXT, "XRenderComposite"));
    if (SDL_Window* window = SDL_GL_GetCurrentWindow()) Note(window, kByServer);
    if (next)
        next(display, op, source, mask, target, sourceX, sourceY, maskX, maskY, targetX, targetY,
             width, height);
}
