// mixer_start_latency.cpp: timing stream starts on the mixer's post-mix callback.
#include "tools/bench/mixer_start_latency.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstdint>
#include <random>

#include "platform/common/mixer_sound.h"

namespace bench {
namespace {

using mixer_sound::kBufferFrames;
using mixer_sound::kChannels;
using mixer_sound::Track;

std::atomic<bool> armed{false};
std::atomic<std::uint64_t> mixedAt{0};
std::atomic<int> firstFrameInBuffer{0};

// Runs on SDL's audio thread after each buffer is mixed.
void SDLCALL AfterMix(void*, Uint8* stream, int length) {
    if (!armed.load()) return;
    const std::int16_t* samples = reinterpret_cast<const std::int16_t*>(stream);
    for (int i = 0; i < length / 2; ++i) {
        if (samples[i] == 0) continue;
        firstFrameInBuffer = i / kChannels;
        mixedAt = SDL_GetPerformanceCounter();
        armed = false;
        return;
    }
}

// Starts the track, waits until its first sample is mixed, and stops it; ms.
double TimeOneStart(Track* track, int rate) {
    const double ticksPerMs = SDL_GetPerformanceFrequency() / 1000.0;
    armed = true;
    const std::uint64_t start = SDL_GetPerformanceCounter();
    Mix_PlayMusic(track->music, 0);
    while (armed.load()) SDL_Delay(1);
    Mix_HaltMusic();
    return (mixedAt.load() - start) / ticksPerMs + firstFrameInBuffer * 1000.0 / rate;
}

}  // namespace

bool MeasureStartLatency(const std::string& wavPath, int rate, int starts, StartLatency* result,
                         std::string* error) {
    if (!mixer_sound::OpenDevice(rate, nullptr)) {
        *error = std::string("cannot open the audio device: ") + SDL_GetError();
        return false;
    }
    Track* track = mixer_sound::FindStream(
        mixer_sound::OpenStream(wavPath.c_str(), mixer_sound::Kind::WavStream));
    if (track == nullptr) {
        *error = "cannot open " + wavPath + ": " + Mix_GetError();
        mixer_sound::CloseDevice();
        return false;
    }
    result->driver = SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "?";
    result->rate = rate;
    result->bufferFrames = kBufferFrames;
    result->delaysMs.clear();
    Mix_SetPostMix(AfterMix, nullptr);
    std::mt19937 random(7);
    for (int trial = 0; trial < starts; ++trial) {
        SDL_Delay(std::uniform_int_distribution<int>(1, 25)(random));
        result->delaysMs.push_back(TimeOneStart(track, rate));
    }
    Mix_SetPostMix(nullptr, nullptr);
    mixer_sound::CloseDevice();
    return true;
}

}  // namespace bench
