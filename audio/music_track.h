// music_track.h: the show's soundtrack through the sound library.
#pragma once

#include "platform/fsound.h"

enum class SoundType : int { Module = 1, MpegStream = 2, WavStream = 3 };

class MusicTrack {
public:
    FMUSIC_MODULE* song;    // SoundType::Module only
    FSOUND_STREAM* stream;  // the two stream types only
    char fileName[50];      // NUL-terminated; what the open call receives
    SoundType type;         // as given, even when not a valid type

    // Initialises the library and opens the file; each failure shows an "ERROR!" box and
    // construction goes on. A path of 50 characters or more is not copied (fileName stays
    // empty) and is reported as music that cannot be read.
    MusicTrack(const char* path, SoundType soundType);

    // 1 when playback started or there was nothing to play; 0 when the library refused.
    int Play();
    int Stop();
    int Free();
    // Free, then shut the library down.
    void Close();
    // A system-modal "ERROR!" box with the error icon.
    void ReportError(const char* text);
};
