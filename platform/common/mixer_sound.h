// mixer_sound.h: the SDL2_mixer device and the table of open streams and songs, shared by
// the sound layers over SDL2_mixer (platform/fsound.h): platform/common/sound.cpp (the live
// and Windows builds) and platform/headless/sound.cpp.
//
// They differ only in what playing means (the one plays through the mixer, the headless
// one records the start); opening, decoding and handle checks are the same code, so a file
// that fails in one fails in the other. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <SDL_mixer.h>

#include "platform/fsound.h"

namespace mixer_sound {

// Output format of the mixer and of decoded sound: 16-bit stereo.
constexpr int kChannels = 2;
// Sample frames per mixing buffer: 512 at 44.1 kHz is 11.6 ms, so a stream is heard at most
// one buffer after it is started, plus what the device itself queues.
constexpr int kBufferFrames = 512;

enum class Kind { MpegStream, WavStream, Song };

struct Track {
    Mix_Music* music;
    Kind kind;
    std::string path;  // the resolved file path, for decoding the track again
};

// Starts SDL's audio with the named driver (null: SDL's own choice, SDL_AUDIODRIVER
// included) and opens the mixer at mixRate Hz. Returns 1 when open (also when it already
// was), 0 on failure with the reason in SDL_GetError.
int OpenDevice(int mixRate, const char* driver);
// Halts playback, frees every track, closes the mixer and SDL's audio. Safe when closed.
// A device that has stopped asking for sound is left open (closing it would wait for ever)
// and refuses to open again.
void CloseDevice();

// Opens the file at a program path as a track of the given kind. Null when the device is
// not open, the path does not fit or name a file, or the file is not of that kind.
FSOUND_STREAM* OpenStream(const char* programPath, Kind kind);
FMUSIC_MODULE* LoadSong(const char* programPath);
// The track behind a handle; null for a null, unknown, freed or wrong-kind handle.
Track* FindStream(FSOUND_STREAM* stream);
Track* FindSong(FMUSIC_MODULE* song);
// Frees a track found by the calls above (the mixer halts it first if it is playing).
void FreeTrack(Track* track);

// Decodes a whole file of the given kind to interleaved 16-bit stereo at 44.1 kHz through
// the mixer's own decoders, opening the mixer with the dummy driver for the time of the
// call when it is closed. 1 on success; 0 with a message otherwise.
int DecodeFile(const std::string& path, Kind kind, std::vector<std::int16_t>* samples,
               std::string* error);

}  // namespace mixer_sound
