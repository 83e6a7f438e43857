// display_loss.cpp: the end of the program when its X server goes away mid-show.
//
// Xlib's own handler for a lost connection calls exit(), which runs the desktop guard's
// atexit handler; that asks SDL to leave full screen, and SDL then waits for the dead
// server's reply for ever. With the server gone there is nothing left to restore (its
// modes and cursor went with it), so the process says why and ends at once instead.
#include "platform/live/x11/display_loss_local.h"

#include <X11/Xlib.h>
#include <errno.h>  // program_invocation_short_name
#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kDisplayLostExitCode = 1;

int EndOnLostConnection(Display* display) {
    const char* name = display ? DisplayString(display) : nullptr;
    std::fprintf(stderr, "%s: lost the connection to the display %s; the show ends\n",
                 program_invocation_short_name, name && *name ? name : "(unnamed)");
    std::fflush(stderr);
    _exit(kDisplayLostExitCode);
}

}  // namespace

namespace live {

void EndOnDisplayLoss() { XSetIOErrorHandler(EndOnLostConnection); }

}  // namespace live
