// clock.cpp: timeGetTime on the page's clock, or on the virtual clock of the test mode.
#include <cstdint>

#include "platform/web/web_local.h"

DWORD timeGetTime(void) {
    if (web::TestMode()) return web::VirtualClock();
    return static_cast<DWORD>(static_cast<std::uint64_t>(kelvo_web_clock()));
}
