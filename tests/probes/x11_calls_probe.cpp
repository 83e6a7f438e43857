// x11_calls_probe.cpp: loaded into the live program (LD_PRELOAD) by end-to-end tests;
// notes the calls by which the live layer's X11 parts start working, one line each with
// the function's name, in the file named by KELVO_X11_CALLS_LOG: XSetIOErrorHandler (the
// handler for a lost display) and XRenderSetPictureTransform (the X server's scaling of
// the picture). Only calls from the program itself count, where the live layer is linked:
// the libraries it uses (FLTK, SDL) may make the same calls for their own ends.
#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Whether the code at address belongs to the main program rather than to a library.
bool InProgram(void* address) {
    Dl_info info;
    link_map* object = nullptr;
    if (!dladdr1(address, &info, reinterpret_cast<void**>(&object), RTLD_DL_LINKMAP) || !object)
        return false;
    return object->l_name == nullptr || object->l_name[0] == '\0';
}

void Note(const char* call, void* caller) {
    const char* path = std::getenv("KELVO_X11_CALLS_LOG");
    if (!path || !InProgram(caller)) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", call);
        std::fclose(file);
    }
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" XIOErrorHandler XSetIOErrorHandler(XIOErrorHandler handler) {
    static auto next = Next<XIOErrorHandler (*)(XIOErrorHandler)>("XSetIOErrorHandler");
    Note("XSetIOErrorHandler", __builtin_return_address(0));
    return next ? next(handler) : nullptr;
}

extern "C" void XRenderSetPictureTransform(Display* display, Picture picture,
                                           XTransform* transform) {
    static auto next = Next<void (*)(Display*, Picture, XTransform*)>("XRenderSetPictureTransform");
    Note("XRenderSetPictureTransform", __builtin_return_address(0));
    if (next) next(display, picture, transform);
}
