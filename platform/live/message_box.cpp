// message_box.cpp: modal message boxes over SDL2, or stderr where no box can be shown.
// Provides MessageBoxA.
#include <cstdio>

#include "platform/live/live_local.h"

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    text = text ? text : "";
    caption = caption ? caption : "Error";
    Uint32 flags = (type & MB_ICONERROR)         ? SDL_MESSAGEBOX_ERROR
                   : (type & MB_ICONINFORMATION) ? SDL_MESSAGEBOX_INFORMATION
                                                 : 0;
    // SDL shows a box without its video subsystem; it fails only where there is no display.
    if (SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}
