// sound_local.h: what the headless sound layer remembers of the last playback, for the
// soundtrack export.
#pragma once

#include <string>

#include "platform/common/mixer_sound.h"
#include "platform/win32.h"

namespace headless {

// The last track that started, with the virtual clock (ms) at its start and at the call
// that silenced it: its own stop, close or free, another start, or FSOUND_Close.
struct Playback {
    bool started = false;
    std::string path;  // resolved file path
    mixer_sound::Kind kind = mixer_sound::Kind::MpegStream;
    DWORD startClock = 0;
    bool stopped = false;
    DWORD stopClock = 0;
};
const Playback& LastPlayback();

// Closes the sound library if a test left it open and forgets the last playback.
void ResetSound();

}  // namespace headless
