// fsound.h: the subset of the FMOD 3 sound API that the music track calls.
//
// Implemented over SDL2_mixer: MP3 and WAV streams and module songs (MOD, XM, S3M, IT)
// are decoded and mixed on the mixer's own thread at the rate given to FSOUND_Init
// (44.1 kHz in the show), 16-bit stereo. The web layer plays over Web Audio instead, and
// finds no module songs there. Paths are program paths ("data\kelvo32.mp3"),
// translated as platform/file_paths.h describes. Handles are opaque tokens that are never
// reused: a null, unknown, already freed or wrong-kind handle is refused (the play calls
// return -1, the other calls return FALSE and do nothing).
// Limitation: there is one music channel, so one stream or song plays at a time; starting
// another stops the one playing.
#pragma once

struct FSOUND_STREAM;
struct FMUSIC_MODULE;

// Channel argument of FSOUND_Stream_Play: any free channel.
#define FSOUND_FREE (-1)

// Opens the audio device, mixing at mixRate Hz (4000 to 192000). The low 8 bits of the
// result are TRUE (1) on success, 0 when the device cannot be opened or the rate is out of
// range. Calling it again while open succeeds and changes nothing.
// Limitation: maxSoftwareChannels and flags are accepted and not acted upon.
signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags);
// Stops playback, frees every stream and song still open and closes the device; their
// handles are refused from then on.
void FSOUND_Close(void);

// Opens an MPEG audio (MP3) file, or a WAV file, as a stream that plays once from its
// start. Null when the device is not open or the file is missing or not of that kind.
// Limitation: the mode bits (FSOUND_LOOP_OFF, sample format bits) are accepted and not
// acted upon; the file's own format is used.
FSOUND_STREAM* FSOUND_Stream_OpenMpeg(const char* fileName, unsigned int mode);
FSOUND_STREAM* FSOUND_Stream_OpenWav(const char* fileName, unsigned int mode);
// Starts the stream from its beginning; returns the channel it plays on (0), or -1 when
// refused (bad handle, or the mixer would not start it).
// Limitation: the channel argument is not acted upon.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Stops the stream if it is playing; TRUE for a valid handle.
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
// Stops and frees the stream; TRUE for a valid handle, which is refused from then on.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);

// Loads a module song (MOD, XM, S3M, IT); null when the device is not open or the file is
// missing or not a module.
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);
// Starts the song from its beginning; it repeats until stopped. Returns TRUE (1) when the
// song started and -1 when refused, so that a caller testing the low 8 bits against -1
// sees every refusal.
signed char FMUSIC_PlaySong(FMUSIC_MODULE* song);
// Stops the song if it is playing; TRUE for a valid handle.
signed char FMUSIC_StopSong(FMUSIC_MODULE* song);
// Stops and frees the song; TRUE for a valid handle, which is refused from then on.
signed char FMUSIC_FreeSong(FMUSIC_MODULE* song);
