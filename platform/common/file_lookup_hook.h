// file_lookup_hook.h: a way for the headless layer to see each program file being looked up.
#pragma once

// Called at every ResolveProgramPath, found or not; null (the default) calls nothing. The
// headless layer sets it to make loading take time on its virtual clock.
void SetFileLookupHook(void (*hook)());
