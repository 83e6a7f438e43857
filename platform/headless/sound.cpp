// sound.cpp (headless): the FMOD subset over SDL2_mixer's dummy driver, playing nothing.
//
// Provides the same calls as platform/common/sound.cpp (FSOUND_Init ... FMUSIC_FreeSong).
// Files are opened by the same mixer code, so they fail exactly where the live layer fails,
// but a start only records the virtual clock (headless::SoundEvents) and the track that
// would be heard, for the capture tool's soundtrack export. Every call is logged and
// FSOUND_Init, the opens and the play calls can be made to fail (headless::FailCall).
#include "platform/fsound.h"

#include <string>

#include "platform/common/mixer_sound.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_local.h"

namespace {

mixer_sound::Track* playing = nullptr;
headless::Playback lastPlayback;

std::string HandleText(const void* handle) {
    return std::to_string(reinterpret_cast<std::uintptr_t>(handle));
}

std::string QuotedPath(const char* path) {
    return path == nullptr ? std::string("null") : '"' + std::string(path) + '"';
}

bool Start(mixer_sound::Track* track, const char* call) {
    if (track == nullptr) return false;
    playing = track;
    lastPlayback = headless::Playback{true, track->path, track->kind, headless::Clock(), false, 0};
    headless::RecordSoundEvent(call);
    return true;
}

void EndPlayback() {
    if (playing == nullptr) return;
    playing = nullptr;
    lastPlayback.stopped = true;
    lastPlayback.stopClock = headless::Clock();
}

void Halt(mixer_sound::Track* track) {
    if (track == playing) EndPlayback();
}

// The stop and free calls: TRUE for a valid handle, FALSE (doing nothing) for a refused
// one. A stop is recorded as a sound event whenever the handle is valid, a free only when
// it ends what was playing.
signed char StopByHandle(mixer_sound::Track* track, const char* call) {
    if (track == nullptr) return 0;
    headless::RecordSoundEvent(call);
    Halt(track);
    return 1;
}

signed char FreeByHandle(mixer_sound::Track* track, const char* call) {
    if (track == nullptr) return 0;
    if (track == playing) headless::RecordSoundEvent(call);
    Halt(track);
    mixer_sound::FreeTrack(track);
    return 1;
}

}  // namespace

namespace headless {

const Playback& LastPlayback() { return lastPlayback; }

void detail::ResetSound() {
    FSOUND_Close();
    lastPlayback = Playback{};
}

}  // namespace headless

signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags) {
    headless::detail::Log("FSOUND_Init(" + std::to_string(mixRate) + ", " +
                          std::to_string(maxSoftwareChannels) + ", " + std::to_string(flags) + ")");
    if (headless::detail::ShouldFail("FSOUND_Init")) return 0;
    return static_cast<signed char>(mixer_sound::OpenDevice(mixRate, "dummy"));
}

void FSOUND_Close(void) {
    headless::detail::Log("FSOUND_Close");
    if (playing != nullptr) headless::RecordSoundEvent("FSOUND_Close");
    EndPlayback();
    mixer_sound::CloseDevice();
}

FSOUND_STREAM* FSOUND_Stream_OpenMpeg(const char* fileName, unsigned int mode) {
    headless::detail::Log("FSOUND_Stream_OpenMpeg(" + QuotedPath(fileName) + ", " +
                          std::to_string(mode) + ")");
    if (headless::detail::ShouldFail("FSOUND_Stream_OpenMpeg")) return nullptr;
    return mixer_sound::OpenStream(fileName, mixer_sound::Kind::MpegStream);
}

FSOUND_STREAM* FSOUND_Stream_OpenWav(const char* fileName, unsigned int mode) {
    headless::detail::Log("FSOUND_Stream_OpenWav(" + QuotedPath(fileName) + ", " +
                          std::to_string(mode) + ")");
    if (headless::detail::ShouldFail("FSOUND_Stream_OpenWav")) return nullptr;
    return mixer_sound::OpenStream(fileName, mixer_sound::Kind::WavStream);
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    headless::detail::Log("FSOUND_Stream_Play(" + std::to_string(channel) + ", " +
                          HandleText(stream) + ")");
    if (headless::detail::ShouldFail("FSOUND_Stream_Play")) return -1;
    return Start(mixer_sound::FindStream(stream), "FSOUND_Stream_Play") ? 0 : -1;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    headless::detail::Log("FSOUND_Stream_Stop(" + HandleText(stream) + ")");
    return StopByHandle(mixer_sound::FindStream(stream), "FSOUND_Stream_Stop");
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    headless::detail::Log("FSOUND_Stream_Close(" + HandleText(stream) + ")");
    return FreeByHandle(mixer_sound::FindStream(stream), "FSOUND_Stream_Close");
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
    headless::detail::Log("FMUSIC_LoadSong(" + QuotedPath(name) + ")");
    if (headless::detail::ShouldFail("FMUSIC_LoadSong")) return nullptr;
    return mixer_sound::LoadSong(name);
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE* song) {
    headless::detail::Log("FMUSIC_PlaySong(" + HandleText(song) + ")");
    if (headless::detail::ShouldFail("FMUSIC_PlaySong")) return -1;
    return Start(mixer_sound::FindSong(song), "FMUSIC_PlaySong") ? 1 : -1;
}

signed char FMUSIC_StopSong(FMUSIC_MODULE* song) {
    headless::detail::Log("FMUSIC_StopSong(" + HandleText(song) + ")");
    return StopByHandle(mixer_sound::FindSong(song), "FMUSIC_StopSong");
}

signed char FMUSIC_FreeSong(FMUSIC_MODULE* song) {
    headless::detail::Log("FMUSIC_FreeSong(" + HandleText(song) + ")");
    return FreeByHandle(mixer_sound::FindSong(song), "FMUSIC_FreeSong");
}
