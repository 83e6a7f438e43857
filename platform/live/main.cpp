// main.cpp: the process entry of the live program; hands control to WinMain.
#include <SDL_hints.h>

#include <string>

#include "platform/win32.h"

int main(int argc, char** argv) {
    // Termination signals belong to the desktop guard, not to SDL's quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, &commandLine[0], SW_SHOW);
}
