// viewport_probe.cpp: loaded into the live program (LD_PRELOAD) by end-to-end tests;
// before each buffer swap it notes the GL viewport and the window's drawable size in the
// file named by KELVO_VIEWPORT_LOG, one line each time either changes.
#include <GL/gl.h>
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using SwapFunction = void (*)(SDL_Window*);

void Note(SDL_Window* window) {
    static int last[6] = {-1, -1, -1, -1, -1, -1};
    const char* path = std::getenv("KELVO_VIEWPORT_LOG");
    if (!path) return;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    int now[6] = {viewport[0], viewport[1], viewport[2], viewport[3], 0, 0};
    SDL_GL_GetDrawableSize(window, &now[4], &now[5]);
    if (std::memcmp(now, last, sizeof now) == 0) return;
    std::memcpy(last, now, sizeof now);
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%d %d %d %d %d %d\n", now[0], now[1], now[2], now[3], now[4], now[5]);
        std::fclose(file);
    }
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    static SwapFunction next =
        reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    Note(window);
    if (next) next(window);
}
