// sound.cpp: the FMOD subset over SDL2_mixer, playing through the audio device (the live
// and Windows builds).
//
// Provides FSOUND_Init, FSOUND_Close, FSOUND_Stream_OpenMpeg, FSOUND_Stream_OpenWav,
// FSOUND_Stream_Play, FSOUND_Stream_Stop, FSOUND_Stream_Close, FMUSIC_LoadSong,
// FMUSIC_PlaySong, FMUSIC_StopSong and FMUSIC_FreeSong. Decoding and mixing run on SDL's
// audio thread; these calls only start and stop it, on the main thread.
#include "platform/fsound.h"

#include "platform/common/mixer_sound.h"

namespace {

// The track on the mixer's music channel, or null. The mixer plays one piece of music at a
// time, so Stop must not halt a track that another Play has replaced.
mixer_sound::Track* playing = nullptr;

// Streams play once; songs repeat, as a module player does.
bool Start(mixer_sound::Track* track, int loops) {
    if (track == nullptr || Mix_PlayMusic(track->music, loops) < 0) return false;
    playing = track;
    return true;
}

void Halt(mixer_sound::Track* track) {
    if (track != playing) return;
    Mix_HaltMusic();
    playing = nullptr;
}

// The stop and free calls: TRUE for a valid handle, FALSE (doing nothing) for a refused one.
signed char StopByHandle(mixer_sound::Track* track) {
    if (track == nullptr) return 0;
    Halt(track);
    return 1;
}

signed char FreeByHandle(mixer_sound::Track* track) {
    if (track == nullptr) return 0;
    Halt(track);
    mixer_sound::FreeTrack(track);
    return 1;
}

}  // namespace

signed char FSOUND_Init(int mixRate, int, unsigned int) {
    return static_cast<signed char>(mixer_sound::OpenDevice(mixRate, nullptr));
}

void FSOUND_Close(void) {
    playing = nullptr;
    mixer_sound::CloseDevice();
}

FSOUND_STREAM* FSOUND_Stream_OpenMpeg(const char* fileName, unsigned int) {
    return mixer_sound::OpenStream(fileName, mixer_sound::Kind::MpegStream);
}

FSOUND_STREAM* FSOUND_Stream_OpenWav(const char* fileName, unsigned int) {
    return mixer_sound::OpenStream(fileName, mixer_sound::Kind::WavStream);
}

int FSOUND_Stream_Play(int, FSOUND_STREAM* stream) {
    return Start(mixer_sound::FindStream(stream), 0) ? 0 : -1;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    return StopByHandle(mixer_sound::FindStream(stream));
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    return FreeByHandle(mixer_sound::FindStream(stream));
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) { return mixer_sound::LoadSong(name); }

signed char FMUSIC_PlaySong(FMUSIC_MODULE* song) {
    return Start(mixer_sound::FindSong(song), -1) ? 1 : -1;
}

signed char FMUSIC_StopSong(FMUSIC_MODULE* song) {
    return StopByHandle(mixer_sound::FindSong(song));
}

signed char FMUSIC_FreeSong(FMUSIC_MODULE* song) {
    return FreeByHandle(mixer_sound::FindSong(song));
}
