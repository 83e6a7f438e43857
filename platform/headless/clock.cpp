// clock.cpp: timeGetTime on the virtual clock the caller sets, and the time file lookups take.
#include "platform/common/file_lookup_hook.h"
#include "platform/headless/headless_local.h"

DWORD timeGetTime(void) { return headless::detail::Get().clock; }

namespace headless {

namespace {

void SpendFileLookupTime() { detail::Get().clock += detail::Get().fileLookupTime; }

}  // namespace

void SetFileLookupTime(DWORD ms) {
    detail::Get().fileLookupTime = ms;
    SetFileLookupHook(ms ? SpendFileLookupTime : nullptr);
}

}  // namespace headless
