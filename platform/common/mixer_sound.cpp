// mixer_sound.cpp: the SDL2_mixer device and the table of open streams and songs.
#include "platform/common/mixer_sound.h"

#include <atomic>
#include <cstring>
#include <map>

#include <SDL.h>

#include "platform/file_paths.h"

namespace mixer_sound {
namespace {

constexpr int kMinMixRate = 4000;
constexpr int kMaxMixRate = 192000;
constexpr int kDecodeRate = 44100;
constexpr std::size_t kMaxResolvedPath = 4096;

// A device asks for a buffer every few tens of milliseconds (512 sample frames are 11.6 ms
// at 44.1 kHz); seconds without one mean its driver is blocked, not that the machine is busy.
constexpr Uint64 kStalledAfterMs = 2000;

bool deviceOpen = false;
// Set when the device was closed while stuck: SDL still holds it, so it cannot be opened again.
bool deviceAbandoned = false;
// When the device last asked for a buffer (SDL ticks).
std::atomic<Uint64> lastMixMs{0};

// Handles are ids cast to pointers: they are never dereferenced and never reused, so a
// handle kept after its track was freed stays unknown instead of naming a newer track.
std::map<std::uintptr_t, Track> tracks;
std::uintptr_t nextId = 1;

Mix_MusicType MusicTypeOf(Kind kind) {
    switch (kind) {
    case Kind::MpegStream: return MUS_MP3;
    case Kind::WavStream: return MUS_WAV;
    case Kind::Song: return MUS_MOD;
    }
    return MUS_NONE;
}

std::uintptr_t Open(const char* programPath, Kind kind) {
    if (!deviceOpen || programPath == nullptr) return 0;
    char resolved[kMaxResolvedPath];
    if (!ResolveProgramPath(programPath, resolved, sizeof resolved)) {
        SDL_SetError("no such file: %s", programPath);
        return 0;
    }
    SDL_RWops* file = SDL_RWFromFile(resolved, "rb");
    if (file == nullptr) return 0;
    // The decoder is chosen by the kind asked for, not guessed from the contents, so a
    // file of another kind is refused rather than played by whichever decoder takes it.
    Mix_Music* music = Mix_LoadMUSType_RW(file, MusicTypeOf(kind), SDL_TRUE);
    if (music == nullptr) return 0;
    std::uintptr_t id = nextId++;
    tracks[id] = Track{music, kind, resolved};
    return id;
}

// Runs on SDL's audio thread after each buffer is mixed; an effect rather than the post-mix
// callback, which the latency benchmark takes for itself.
void SDLCALL NoteMix(int, void*, int, void*) { lastMixMs = SDL_GetTicks64(); }

// Notes each buffer the open mixer mixes; the time of the call counts as the first.
void WatchMixing() {
    lastMixMs = SDL_GetTicks64();
    Mix_RegisterEffect(MIX_CHANNEL_POST, NoteMix, nullptr, nullptr);
}

// A device that has gone away keeps asking for sound (SDL discards it at the device's
// pace), but one whose sound server stopped answering leaves SDL's audio thread waiting in
// the driver for ever.
bool MixingStalled() { return SDL_GetTicks64() - lastMixMs.load() > kStalledAfterMs; }

Track* Find(std::uintptr_t id, bool song) {
    auto found = tracks.find(id);
    if (found == tracks.end()) return nullptr;
    if ((found->second.kind == Kind::Song) != song) return nullptr;
    return &found->second;
}

}  // namespace

int OpenDevice(int mixRate, const char* driver) {
    if (deviceOpen) return 1;
    if (deviceAbandoned) {
        SDL_SetError("the audio device stopped responding and cannot be opened again");
        return 0;
    }
    if (mixRate < kMinMixRate || mixRate > kMaxMixRate) {
        SDL_SetError("mixing rate %d Hz out of range", mixRate);
        return 0;
    }
    if (driver != nullptr) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    int started = SDL_InitSubSystem(SDL_INIT_AUDIO);
    if (driver != nullptr) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (started < 0) return 0;
    // No format changes allowed: SDL converts to whatever the hardware takes, so the mix
    // (and a disk driver's file) is at exactly the rate asked for.
    if (Mix_OpenAudioDevice(mixRate, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    deviceOpen = true;
    WatchMixing();
    return 1;
}

void CloseDevice() {
    if (!deviceOpen) return;
    Mix_HaltMusic();
    for (auto& entry : tracks) Mix_FreeMusic(entry.second.music);
    tracks.clear();
    deviceOpen = false;
    // Closing joins SDL's audio thread; when that thread is stuck in the driver the join
    // would never return, so the device is left to the end of the process instead.
    if (MixingStalled()) {
        deviceAbandoned = true;
        return;
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

FSOUND_STREAM* OpenStream(const char* programPath, Kind kind) {
    if (kind == Kind::Song) return nullptr;
    return reinterpret_cast<FSOUND_STREAM*>(Open(programPath, kind));
}

FMUSIC_MODULE* LoadSong(const char* programPath) {
    return reinterpret_cast<FMUSIC_MODULE*>(Open(programPath, Kind::Song));
}

Track* FindStream(FSOUND_STREAM* stream) {
    return Find(reinterpret_cast<std::uintptr_t>(stream), false);
}

Track* FindSong(FMUSIC_MODULE* song) { return Find(reinterpret_cast<std::uintptr_t>(song), true); }

void FreeTrack(Track* track) {
    for (auto entry = tracks.begin(); entry != tracks.end(); ++entry) {
        if (&entry->second != track) continue;
        Mix_FreeMusic(entry->second.music);
        tracks.erase(entry);
        return;
    }
}

int DecodeFile(const std::string& path, Kind kind, std::vector<std::int16_t>* samples,
               std::string* error) {
    (void)kind;  // the file was opened as this kind before; its contents pick the decoder
    bool openedHere = false;
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    if (!Mix_QuerySpec(&rate, &format, &channels)) {
        if (!OpenDevice(kDecodeRate, "dummy")) {
            *error = std::string("cannot start the sound mixer: ") + SDL_GetError();
            return 0;
        }
        openedHere = true;
        Mix_QuerySpec(&rate, &format, &channels);
    }
    int result = 0;
    if (rate != kDecodeRate || format != AUDIO_S16SYS || channels != kChannels) {
        *error = "the sound mixer is open in another format than 44.1 kHz 16-bit stereo";
    } else if (Mix_Chunk* chunk = Mix_LoadWAV(path.c_str())) {
        const std::int16_t* pcm = reinterpret_cast<const std::int16_t*>(chunk->abuf);
        samples->assign(pcm, pcm + chunk->alen / sizeof(std::int16_t));
        Mix_FreeChunk(chunk);
        result = 1;
    } else {
        *error = "cannot decode " + path + ": " + Mix_GetError();
    }
    if (openedHere) CloseDevice();
    return result;
}

}  // namespace mixer_sound
