// clock.cpp: timeGetTime on the virtual clock the caller sets.
#include "platform/headless/headless_local.h"

DWORD timeGetTime(void) { return headless::detail::Get().clock; }
