// clock.cpp: the millisecond clock on SDL's monotonic counter. Provides timeGetTime.
#include "platform/live/live_local.h"

DWORD timeGetTime(void) {
    // The low 32 bits of a 64-bit count wrap modulo 2^32 as the Windows timer does.
    return static_cast<DWORD>(SDL_GetTicks64());
}
