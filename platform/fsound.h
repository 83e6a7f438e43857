// fsound.h: the subset of the FMOD 3 sound API that the music track calls.
//
// Implemented over SDL2_mixer: MP3 and WAV streams and module songs (MOD, XM, S3M, IT)
// play on the mixer's own thread at 44.1 kHz. Paths are translated like every program
// path ("data\kelvo32.mp3"). A null or unknown handle is refused: the play calls return
// -1, the others do nothing and return FALSE.
#pragma once

struct FSOUND_STREAM;
struct FMUSIC_MODULE;

#define FSOUND_FREE (-1)

// Opens the audio device at mixRate Hz. The low 8 bits of the result are 0 on failure.
signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags);
// Stops everything, frees every stream and song still open, and closes the device.
void FSOUND_Close(void);

// Opens an MP3 (or WAV) file as a stream; null when it cannot be read.
// Limitation: the mode bits are accepted and not acted upon.
FSOUND_STREAM* FSOUND_Stream_OpenMpeg(const char* fileName, unsigned int mode);
FSOUND_STREAM* FSOUND_Stream_OpenWav(const char* fileName, unsigned int mode);
// Starts the stream from its beginning; returns the channel, or -1 when refused.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);

// Loads a module song; null when it cannot be read.
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);
// Returns TRUE when the song started, FALSE (-1 in the low 8 bits read as signed) if not.
signed char FMUSIC_PlaySong(FMUSIC_MODULE* song);
signed char FMUSIC_StopSong(FMUSIC_MODULE* song);
signed char FMUSIC_FreeSong(FMUSIC_MODULE* song);
